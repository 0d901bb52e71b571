"""The built program as a player runs it: a copy in a directory of its own,
its process, its output and its record file; also run as an unprivileged user
where file permissions matter (root may write to any file whatever its mode).
"""
import os
import pwd
import shutil
import stat
import subprocess
import tempfile

from harness.waiting import Timeout, wait_until

BINARY = os.environ.get("MOCHITAMA_BIN", "build/mochitama")

# The record file as the first start writes it.
DEFAULT_INI = (b";\r\n; MT.INI                        Mochitama Workshop\r\n;\r\n[Kousan]\r\nKaisu = 0\r\n\r\n"
               b"[Tyutai]\r\nKaisu = 0\r\n\r\n[Time]\r\n1st = 9999\r\n")


class Game:
    """The built program, copied into a fresh directory of its own.

    desktop: where it shows its windows (a Desktop, a compositor, or None to
    run it by hand in an environment of one's own). copy=False runs the
    program where it is, as an installed one, with `directory` as its working
    directory. home: a home of its own (HOME and the XDG directories below
    it), for records kept per user.
    """

    def __init__(self, desktop, binary, directory=None, ini=None, home=None, copy=True):
        self.desktop = desktop
        self.dir = directory or tempfile.mkdtemp(prefix="mochitama-e2e-")
        if copy:
            self.binary = os.path.join(self.dir, "mochitama")
            if not os.path.exists(self.binary):
                shutil.copy2(binary, self.binary)
        else:
            self.binary = binary
        if ini is not None:
            with open(self.ini_path, "wb") as f:
                f.write(ini)
        self.log_path = os.path.join(self.dir, "program-output.txt")
        self.env = dict(desktop.env if desktop is not None else os.environ)
        # The game in Japanese, its own language, whatever the tester's locale.
        self.env["LANGUAGE"] = "ja"
        self.runtime_dir = None
        if home is not None:
            self.runtime_dir = os.path.join(home, "runtime")
            os.makedirs(self.runtime_dir, exist_ok=True)
            os.chmod(self.runtime_dir, 0o700)
            self.env.update(HOME=home, XDG_RUNTIME_DIR=self.runtime_dir, XDG_DATA_HOME=os.path.join(home, "data"),
                            XDG_CACHE_HOME=os.path.join(home, "cache"), XDG_CONFIG_HOME=os.path.join(home, "config"))
        self.proc = None

    @property
    def ini_path(self):
        return os.path.join(self.dir, "MT.INI")

    def ini(self):
        with open(self.ini_path, "rb") as f:
            return f.read()

    def output(self):
        with open(self.log_path, "rb") as f:
            return f.read()

    def command(self):
        return [self.binary]

    def start(self):
        with open(self.log_path, "ab") as log:
            self.proc = subprocess.Popen(self.command(), cwd=self.dir, env=self.env, stdout=log,
                                         stderr=subprocess.STDOUT)
        return self.proc

    def wait_exit(self, timeout=30):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Timeout(f"the program did not end within {timeout} s")

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    # ---- a message box: wait for it by its title and answer it
    def answer(self, title, keys=("Return",), timeout=10):
        box = self.desktop.wait_window(title, timeout, pid=self.proc.pid)
        self.desktop.key(box, *keys)
        wait_until(lambda: box not in self.desktop.windows(title, pid=self.proc.pid), 5, f"box '{title}' to close")

    def answer_own(self, title, timeout=20):
        """Return on this copy's box only while it has the focus: with many
        copies on the screen, a key sent to the wrong box answers another copy."""
        box = self.desktop.wait_window(title, timeout=timeout, pid=self.proc.pid)
        for _ in range(5):
            self.desktop.activate(box)
            if self.desktop.active_window() != box:
                continue
            self.desktop.key_to_focus("Return")
            try:
                wait_until(lambda: box not in self.desktop.windows(title, pid=self.proc.pid), 3,
                           f"box '{title}' to close")
                return
            except Timeout:
                pass
        raise Timeout(f"could not answer the box '{title}' of process {self.proc.pid}")


# ---- as another user

def everyone_may_pass_through(path):
    """Whether a user who is neither owner nor in the group may pass through
    every directory from the root down to `path`."""
    walked = "/"
    for part in os.path.realpath(path).strip("/").split("/"):
        walked = os.path.join(walked, part)
        try:
            if not os.stat(walked).st_mode & stat.S_IXOTH:
                return False
        except OSError:
            return False
    return True


def scratch_root():
    """Where to make directories that the unprivileged user must reach: $TMPDIR
    may be private (pam_tmpdir, or a place below a 0700 home)."""
    for candidate in (tempfile.gettempdir(), "/tmp", "/var/tmp"):
        if everyone_may_pass_through(candidate):
            return candidate
    return "/tmp"


class Unprivileged:
    """The user the program runs as when permissions matter: `nobody` for
    root, the tester otherwise."""

    def __init__(self):
        self.as_root = os.geteuid() == 0
        entry = pwd.getpwnam("nobody") if self.as_root else pwd.getpwuid(os.geteuid())
        self.uid, self.gid = entry.pw_uid, entry.pw_gid
        self.scratch = scratch_root()

    def command(self, args):
        if not self.as_root:
            return args
        return ["setpriv", f"--reuid={self.uid}", f"--regid={self.gid}", "--clear-groups", "--", *args]

    def own(self, path, mode):
        if self.as_root:
            os.chown(path, self.uid, self.gid)
        os.chmod(path, mode)

    def directory(self, mode=0o700):
        """A new directory of the user's own."""
        path = tempfile.mkdtemp(prefix="mochitama-rel-", dir=self.scratch)
        self.own(path, mode)
        return path

    def program_directory(self):
        """A new directory of the tester's that everyone may enter."""
        path = tempfile.mkdtemp(prefix="mochitama-rel-", dir=self.scratch)
        os.chmod(path, 0o755)
        return path


class UnprivilegedGame(Game):
    """The program started as the unprivileged user, with a home of its own."""

    def __init__(self, desktop, binary, user, home, **kwargs):
        super().__init__(desktop, binary, home=home, **kwargs)
        self.user = user
        os.chmod(self.binary, 0o755)  # the build may have made it the tester's alone (umask 077)
        user.own(self.runtime_dir, 0o700)

    def command(self):
        return self.user.command([self.binary])

    def uid(self):
        """The real user id the running program has."""
        with open(f"/proc/{self.proc.pid}/status") as f:
            for line in f:
                if line.startswith("Uid:"):
                    return int(line.split()[1])
        return None

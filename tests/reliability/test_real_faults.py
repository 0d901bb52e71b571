"""Faults around the record file, and many copies at once, with the built program
in real windows (Xvfb + openbox), driven from outside as a person would.

As root, the tests that depend on file permissions run the program as the
unprivileged user `nobody`: root may write to any file whatever its mode.
"""
import os
import pwd
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Desktop, Game, Timeout, wait_until  # noqa: E402

BINARY = os.environ.get("MOCHITAMA_BIN", "build/mochitama")
ARTEFACTS = os.environ.get("MOCHITAMA_E2E_ARTEFACTS", "reliability-artefacts")

DEFAULT_INI = (b";\r\n; MT.INI                        Mochitama Workshop\r\n;\r\n[Kousan]\r\nKaisu = 0\r\n\r\n"
               b"[Tyutai]\r\nKaisu = 0\r\n\r\n[Time]\r\n1st = 9999\r\n")
FOUND_INI = DEFAULT_INI.replace(b"Kaisu = 0\r\n\r\n[Tyutai]", b"Kaisu = 4\r\n\r\n[Tyutai]").replace(
    b"1st = 9999", b"1st = 83.5")

TITLE_WINDOW = "もちたまの世界へようこそ"
WELCOME_BOX = "Welcome to もちたま"
MISSING_BOX = ".INI Don't Exist"
WRITE_ERROR_BOX = ".INI Write Error"
SECOND_COPY_BOX = "二重起動ERROR"
# The はい button of the opening question, in twips: left, top, width, height.
YES_BUTTON = (1080, 2400, 975, 375)


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
    """The user the program runs as when permissions matter."""

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
        super().__init__(desktop, binary, **kwargs)
        self.user = user
        os.chmod(self.binary, 0o755)  # the build may have made it the tester's alone (umask 077)
        runtime = os.path.join(home, "runtime")
        os.mkdir(runtime)
        user.own(runtime, 0o700)
        self.env = dict(desktop.env, HOME=home, XDG_RUNTIME_DIR=runtime, XDG_DATA_HOME=os.path.join(home, "data"),
                        XDG_CACHE_HOME=os.path.join(home, "cache"), XDG_CONFIG_HOME=os.path.join(home, "config"))

    def start(self):
        log = open(self.log_path, "ab")
        self.proc = subprocess.Popen(self.user.command([self.binary]), cwd=self.dir, env=self.env, stdout=log,
                                     stderr=subprocess.STDOUT)
        log.close()
        return self.proc

    def uid(self):
        """The real user id the running program has."""
        with open(f"/proc/{self.proc.pid}/status") as f:
            for line in f:
                if line.startswith("Uid:"):
                    return int(line.split()[1])
        return None


class RealFaultsTest(unittest.TestCase):
    def setUp(self):
        self.desktop = Desktop()
        self.games = []
        self.paths = []
        self.user = Unprivileged()

    def tearDown(self):
        self.keep_artefacts()
        for g in self.games:
            g.kill()
        self.desktop.close()
        for path in self.paths + [g.dir for g in self.games]:
            if os.path.isdir(path):
                os.chmod(path, 0o755)  # a read-only program directory, for a tester without root
            shutil.rmtree(path, ignore_errors=True)

    def keep_artefacts(self):
        target = os.path.join(ARTEFACTS, self.id().split(".")[-1])
        os.makedirs(target, exist_ok=True)
        try:
            self.desktop.screenshot(os.path.join(target, "last-screen.png"))
        except Exception:  # the display may be gone; keep what we have
            pass
        for i, g in enumerate(self.games):
            for name in ("program-output.txt", "MT.INI"):
                source = os.path.join(g.dir, name)
                if os.path.exists(source):
                    shutil.copy2(source, os.path.join(target, f"{i:02d}-{name}"))

    # ---- steps
    def new_game(self, **kwargs):
        g = Game(self.desktop, BINARY, **kwargs)
        self.games.append(g)
        return g

    def new_unprivileged_game(self, home, **kwargs):
        g = UnprivilegedGame(self.desktop, BINARY, self.user, home, **kwargs)
        self.games.append(g)
        return g

    def to_opening_question(self, g):
        self.desktop.wait_window(TITLE_WINDOW, timeout=20, pid=g.proc.pid)
        g.answer(WELCOME_BOX)
        return self.desktop.wait_window("もちたま", pid=g.proc.pid)

    def quit_at_the_question(self, g, main):
        self.desktop.click_twips(main, *YES_BUTTON)
        g.answer(WELCOME_BOX)

    def answer_own_box(self, g, title):
        """Return on this copy's box while it has the focus: with twenty
        copies on the screen, a key sent to the wrong box answers another copy."""
        box = self.desktop.wait_window(title, timeout=20, pid=g.proc.pid)
        for _ in range(5):
            self.desktop.activate(box)
            if self.desktop.run(["xdotool", "getactivewindow"], check=False).strip() != box:
                continue
            self.desktop.run(["xdotool", "key", "Return"])
            try:
                wait_until(lambda: box not in self.desktop.windows(title, pid=g.proc.pid), 3, f"box '{title}' to close")
                return
            except Timeout:
                pass
        self.fail(f"could not answer the box '{title}' of process {g.proc.pid}")

    def files_in(self, directory):
        return sorted(os.listdir(directory))

    # ---- tests
    def test_record_file_deleted_before_the_quit_is_saved(self):
        g = self.new_game(ini=FOUND_INI)
        g.start()
        main = self.to_opening_question(g)
        os.remove(g.ini_path)
        self.quit_at_the_question(g, main)
        g.answer(MISSING_BOX)
        self.assertEqual(g.wait_exit(), 0)
        # Not recreated, and nothing else left behind.
        self.assertEqual(self.files_in(g.dir), ["mochitama", "program-output.txt"])

    def test_read_only_record_file_at_the_quit(self):
        home = self.user.directory()
        self.paths.append(home)
        g = self.new_unprivileged_game(home, directory=self.user.directory(0o755), ini=FOUND_INI)
        self.user.own(g.ini_path, 0o444)
        g.start()
        main = self.to_opening_question(g)
        self.assertEqual(g.uid(), self.user.uid)
        self.quit_at_the_question(g, main)
        g.answer(WRITE_ERROR_BOX)
        # The quit goes on to its end.
        self.assertEqual(g.wait_exit(), 0)
        self.assertEqual(g.ini(), FOUND_INI)
        self.assertEqual(stat.S_IMODE(os.stat(g.ini_path).st_mode), 0o444)
        self.assertEqual(self.files_in(g.dir), ["MT.INI", "mochitama", "program-output.txt"])

    def test_read_only_program_directory_on_the_first_start(self):
        home = self.user.directory()
        self.paths.append(home)
        g = self.new_unprivileged_game(home, directory=self.user.program_directory())
        open(g.log_path, "ab").close()
        # The program's directory belongs to root (or, without root, to the
        # tester): in either case the player may not write there.
        os.chmod(g.dir, 0o555)
        g.start()
        main = self.to_opening_question(g)
        self.assertEqual(g.uid(), self.user.uid)
        kept = os.path.join(home, "data", "mochitama", "MT.INI")
        with open(kept, "rb") as f:
            self.assertEqual(f.read(), DEFAULT_INI)
        self.quit_at_the_question(g, main)
        self.assertEqual(g.wait_exit(), 0)
        with open(kept, "rb") as f:
            self.assertEqual(f.read(), DEFAULT_INI.replace(b"[Tyutai]\r\nKaisu = 0", b"[Tyutai]\r\nKaisu=1"))
        self.assertEqual(self.files_in(g.dir), ["mochitama", "program-output.txt"])

    def test_twenty_copies_started_at_once(self):
        first = self.new_game()
        copies = [first] + [self.new_game(directory=first.dir) for _ in range(19)]
        for g in copies:
            g.start()
        # A running copy may already be past its title window when we look.
        running_windows = {TITLE_WINDOW, WELCOME_BOX, "もちたま"}

        def settled():
            shown = {}
            for _, pid, title in self.desktop.client_windows():
                if title in running_windows or title == SECOND_COPY_BOX:
                    shown.setdefault(pid, set()).add(title)
            return shown if all(g.proc.pid in shown for g in copies) else None

        shown = wait_until(settled, 90, "every copy to show its first window", interval=0.5)
        running = [g for g in copies if shown[g.proc.pid] & running_windows]
        refused = [g for g in copies if shown[g.proc.pid] == {SECOND_COPY_BOX}]
        self.assertEqual(len(running), 1, shown)
        self.assertEqual(len(refused), 19, shown)
        runner = running[0]

        for g in refused:
            self.answer_own_box(g, SECOND_COPY_BOX)
            self.assertEqual(g.wait_exit(), 0)
        # The running copy goes on to the opening question.
        runner.answer(WELCOME_BOX, timeout=30)
        self.desktop.wait_window("もちたま", pid=runner.proc.pid)
        self.assertIsNone(runner.proc.poll())
        # Exactly one copy wrote the new record file.
        self.assertEqual(runner.ini(), DEFAULT_INI)

        runner.proc.send_signal(signal.SIGKILL)
        self.assertEqual(runner.wait_exit(), -signal.SIGKILL)
        after = self.new_game(directory=first.dir)
        after.start()
        self.desktop.wait_window(TITLE_WINDOW, timeout=20, pid=after.proc.pid)
        self.assertEqual(self.desktop.windows(SECOND_COPY_BOX), [])
        self.assertEqual(after.ini(), DEFAULT_INI)


if __name__ == "__main__":
    unittest.main()

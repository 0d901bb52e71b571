"""The built program where there is no X server: a Wayland-only desktop, no
desktop at all, and a platform that cannot start. Each case ends either in
the title window or in one line and exit status 1, never in an abort."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from desktop import wait_until  # noqa: E402

BINARY = os.environ.get("MOCHITAMA_BIN", "build/mochitama")
ARTEFACTS = os.environ.get("MOCHITAMA_E2E_ARTEFACTS", "e2e-artefacts")

# The title window's background, 0x00C0E0FF, and its client area in pixels: the
# frame line and the letters cover about a tenth of it.
TITLE_COLOUR = "rgb(255,224,192)"
TITLE_PIXELS = 257 * 112


class Weston:
    """A headless Wayland compositor that draws into memory and can be photographed."""

    def __init__(self, runtime_dir):
        self.env = dict(os.environ, XDG_RUNTIME_DIR=runtime_dir, WAYLAND_DISPLAY="wayland-mochitama")
        for name in ("DISPLAY", "QT_QPA_PLATFORM"):
            self.env.pop(name, None)
        self.log = open(os.path.join(runtime_dir, "weston.log"), "wb")
        self.proc = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", "--width=1024", "--height=768",
             "--socket=wayland-mochitama", "--idle-time=0", "--debug"],
            env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        socket = os.path.join(runtime_dir, "wayland-mochitama")
        wait_until(lambda: os.path.exists(socket), 10, "weston's socket")

    def screenshot(self, directory):
        """The whole output as a PNG; weston-screenshooter names it itself."""
        before = set(os.listdir(directory))
        subprocess.run(["weston-screenshooter"], cwd=directory, env=self.env, check=True, timeout=10,
                       capture_output=True)
        made = sorted(set(os.listdir(directory)) - before)
        return os.path.join(directory, made[-1])

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        self.log.close()


def pixels_of(path, colour):
    """How many pixels of the picture have exactly this colour."""
    out = subprocess.run(["convert", path, "-fill", "black", "+opaque", colour, "-fill", "white", "-opaque", colour,
                          "-format", "%[fx:int(mean*w*h+0.5)]", "info:"],
                         capture_output=True, text=True, check=True).stdout
    return int(out.strip())


class WindowSystemTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="mochitama-ws-")
        os.chmod(self.scratch, 0o700)
        self.program = os.path.join(self.scratch, "mochitama")
        shutil.copy2(BINARY, self.program)
        self.artefacts = os.path.join(ARTEFACTS, self.id().split(".")[-1])
        os.makedirs(self.artefacts, exist_ok=True)

    def tearDown(self):
        shutil.rmtree(self.scratch, ignore_errors=True)

    def run_without_windows(self, **env):
        """Runs the program where it cannot open a window; returns (status, stderr lines)."""
        clean = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        clean.update(env)
        done = subprocess.run([self.program], cwd=self.scratch, env=clean, capture_output=True, text=True, timeout=30)
        return done.returncode, done.stderr.splitlines()

    def assert_one_line(self, status, lines, reason):
        self.assertEqual(status, 1, lines)  # an abort would be -6
        self.assertEqual(len(lines), 1, lines)
        self.assertTrue(lines[0].startswith("mochitama: cannot open the game window: " + reason), lines)

    def test_a_wayland_only_desktop_shows_the_title_window(self):
        weston = Weston(self.scratch)
        try:
            log = open(os.path.join(self.artefacts, "program-output.txt"), "wb")
            game = subprocess.Popen([self.program], cwd=self.scratch, env=weston.env, stdout=log,
                                    stderr=subprocess.STDOUT)
            try:
                def title_shown():
                    shot = weston.screenshot(self.scratch)
                    return shot if pixels_of(shot, TITLE_COLOUR) >= 0.75 * TITLE_PIXELS else None

                shot = wait_until(title_shown, 10, "the title window on the Wayland desktop", interval=0.2)
                shutil.copy2(shot, os.path.join(self.artefacts, "title-on-wayland.png"))
                self.assertIsNone(game.poll(), "the program ended")
            finally:
                game.kill()
                game.wait()
                log.close()
        finally:
            weston.close()
            shutil.copy2(os.path.join(self.scratch, "weston.log"), self.artefacts)
        with open(os.path.join(self.artefacts, "program-output.txt"), "rb") as f:
            self.assertEqual(f.read(), b"", "the program said something on a working desktop")

    def test_no_desktop_at_all_is_one_line(self):
        status, lines = self.run_without_windows(XDG_RUNTIME_DIR=self.scratch)
        self.assert_one_line(status, lines, "neither DISPLAY nor WAYLAND_DISPLAY is set")
        self.assertIn("xvfb-run -a", lines[0])

    def test_a_platform_that_is_not_installed_is_one_line(self):
        status, lines = self.run_without_windows(QT_QPA_PLATFORM="nosuchplatform")
        self.assert_one_line(status, lines, 'Qt\'s platform plugin "nosuchplatform" is not installed')

    @unittest.skipIf(os.path.exists("/dev/dri") or os.path.exists("/dev/fb0"),
                     "this machine has a display device, so the platforms below could start")
    def test_platforms_that_fail_to_start_are_one_line(self):
        # Qt itself gives up on these: the program catches it instead of aborting.
        status, lines = self.run_without_windows(QT_QPA_PLATFORM="eglfs")
        self.assert_one_line(status, lines, "")
        status, lines = self.run_without_windows(QT_QPA_PLATFORM="linuxfb")
        self.assert_one_line(status, lines, "the window system has no screen")


if __name__ == "__main__":
    unittest.main()

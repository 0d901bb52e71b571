"""The built program where there is no X server: a Wayland-only desktop, no
desktop at all, and a platform that cannot start. Each case ends either in
the title window or in one line and exit status 1, never in an abort."""
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.desktop import pixels_of  # noqa: E402
from harness.testcase import WindowTestCase  # noqa: E402
from harness.waiting import wait_until  # noqa: E402

# The title window's background, 0x00C0E0FF, and its client area in pixels: the
# frame line and the letters cover about a tenth of it.
TITLE_COLOUR = "rgb(255,224,192)"
TITLE_PIXELS = 257 * 112


class WindowSystemTest(WindowTestCase):
    def run_without_windows(self, **env):
        """Runs the program where it cannot open a window; returns (status, stderr lines)."""
        clean = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        clean.update(env)
        g = self.new_game(desktop=None)
        done = subprocess.run([g.binary], cwd=g.dir, env=clean, capture_output=True, text=True, timeout=30)
        return done.returncode, done.stderr.splitlines()

    def assert_one_line(self, status, lines, reason):
        self.assertEqual(status, 1, lines)  # an abort would be -6
        self.assertEqual(len(lines), 1, lines)
        self.assertTrue(lines[0].startswith("mochitama: cannot open the game window: " + reason), lines)

    def test_a_wayland_only_desktop_shows_the_title_window(self):
        weston = self.weston()
        g = self.new_game(desktop=weston)
        g.start()

        def title_shown():
            shot = weston.screenshot(weston.runtime_dir)
            return shot if pixels_of(shot, TITLE_COLOUR) >= 0.75 * TITLE_PIXELS else None

        shot = wait_until(title_shown, 10, "the title window on the Wayland desktop", interval=0.2)
        shutil.copy2(shot, os.path.join(self.artefacts, "title-on-wayland.png"))
        self.assertIsNone(g.proc.poll(), "the program ended")
        g.kill()
        self.assertEqual(g.output(), b"", "the program said something on a working desktop")

    def test_no_desktop_at_all_is_one_line(self):
        status, lines = self.run_without_windows(XDG_RUNTIME_DIR=self.scratch_dir())
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

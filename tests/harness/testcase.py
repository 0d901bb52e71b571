"""WindowTestCase: the unittest base of every test that runs the built program
on a display. It owns the displays, the games started and the artefacts each
test leaves to be looked at."""
import os
import shutil
import sys
import tempfile
import unittest

from harness.compositor import Weston
from harness.desktop import Desktop
from harness.game import BINARY, Game
from harness.player import Player
from harness.timeline import ScreenRecorder

ARTEFACTS_VARIABLE = "MOCHITAMA_E2E_ARTEFACTS"
GAME_FILES = ("program-output.txt", "MT.INI")


class WindowTestCase(unittest.TestCase):
    """A test with a throwaway X desktop (started when first used), the copies
    of the program it started, and a folder of its own for artefacts:
    $MOCHITAMA_E2E_ARTEFACTS (else `default_artefacts`)/<test method>.

    At the end every game is killed and every display closed; the last
    screen, the output and record file of each program directory, the
    compositor's log and the screen timeline are kept. The timeline's frames
    take room: they are kept only when the test failed.
    """

    default_artefacts = "e2e-artefacts"
    binary = BINARY
    window_manager = "openbox"  # or "xfwm4"

    def setUp(self):
        self.games = []
        self.recorder = None
        self._desktop = None
        self._displays = []  # closed last-started first
        self._scratch = []  # removed at the end
        self._kept = []  # copied into the artefacts at the end
        self.artefacts = os.path.join(os.environ.get(ARTEFACTS_VARIABLE, self.default_artefacts),
                                      self.id().split(".")[-1])
        shutil.rmtree(self.artefacts, ignore_errors=True)
        os.makedirs(self.artefacts)
        # A cleanup, not tearDown: it runs even when setUp fails half way.
        self.addCleanup(self._finish)

    # ---- what the test owns
    @property
    def desktop(self):
        """This test's X desktop (Xvfb and the window manager), started when first used."""
        if self._desktop is None:
            self._desktop = Desktop(window_manager=self.window_manager)
            self._displays.append(self._desktop)
        return self._desktop

    def another_desktop(self, **kwargs):
        """One more X desktop (see Desktop for the arguments), closed at the end."""
        desktop = Desktop(**kwargs)
        self._displays.append(desktop)
        return desktop

    def new_game(self, cls=Game, binary=None, **kwargs):
        """A new copy of the program (see Game), on this test's desktop unless
        `desktop` names another display, or None."""
        desktop = kwargs.pop("desktop") if "desktop" in kwargs else self.desktop
        g = cls(desktop, binary or self.binary, **kwargs)
        self.games.append(g)
        return g

    def player(self, game):
        return Player(game.desktop, game)

    def weston(self):
        """A headless Wayland compositor with no X server beside it; its log is kept."""
        compositor = Weston(self.scratch_dir())
        self._displays.append(compositor)
        self._kept.append(compositor.log_path)
        return compositor

    def record_screen(self):
        """Records the screen timeline of this test's desktop until the end."""
        self.recorder = ScreenRecorder(self.desktop, os.path.join(self.artefacts, "timeline")).__enter__()
        return self.recorder

    def timeline(self):
        return self.recorder.timeline()

    def scratch_dir(self):
        """A new private directory, removed at the end."""
        return self.remove_at_end(tempfile.mkdtemp(prefix="mochitama-test-"))

    def remove_at_end(self, path):
        self._scratch.append(path)
        return path

    # ---- the end
    def failed(self):
        # From the result, not the outcome's success flag: each cleanup runs
        # as a test part of its own, with that flag set anew.
        result = getattr(getattr(self, "_outcome", None), "result", None)
        return result is None or any(test is self for test, _ in result.failures + result.errors)

    def _finish(self):
        failed = self.failed()
        if self.recorder:
            self.recorder.stop()
        if self._desktop:
            try:
                self._desktop.screenshot(os.path.join(self.artefacts, "last-screen.png"))
            except Exception:  # the display may be gone; keep what we have
                pass
        for g in self.games:
            g.kill()
        self._keep_game_files()
        for display in reversed(self._displays):
            display.close()
        for path in self._kept:
            if os.path.exists(path):
                shutil.copy2(path, self.artefacts)
        for path in self._scratch + [g.dir for g in self.games]:
            if os.path.isdir(path):
                os.chmod(path, 0o755)  # a read-only program directory, for a tester without root
            shutil.rmtree(path, ignore_errors=True)
        if self.recorder and not failed:
            shutil.rmtree(os.path.join(self.recorder.directory, "frames"), ignore_errors=True)
        if os.listdir(self.artefacts):
            print(f"kept for a look afterwards: {', '.join(sorted(os.listdir(self.artefacts)))} in "
                  f"{os.path.abspath(self.artefacts)}", file=sys.stderr)
        else:
            os.rmdir(self.artefacts)

    def _keep_game_files(self):
        # Copies that share a directory share its files: keep them once.
        directories = list(dict.fromkeys(g.dir for g in self.games))
        for i, directory in enumerate(directories):
            prefix = f"{i + 1:02d}-" if len(directories) > 1 else ""
            for name in GAME_FILES:
                source = os.path.join(directory, name)
                if os.path.exists(source):
                    shutil.copy2(source, os.path.join(self.artefacts, prefix + name))

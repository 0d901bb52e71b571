"""Pauses that block the program on purpose, under window managers that ping a
window they are asked to close and offer to kill a program that does not
answer in time: openbox (after about 6.5 s) and xfwm4 (about 3.3 s). A close
request during a pause waits for its end, and no window manager may take the
program for hung meanwhile."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.player import WELCOME_BOX  # noqa: E402
from harness.testcase import WindowTestCase  # noqa: E402
from harness.waiting import wait_until  # noqa: E402

# Longer than either window manager waits for an answer to its ping.
LONGER_THAN_A_PING = 8


class DeliberateBlocks:
    default_artefacts = "reliability-artefacts"

    def watch(self, g, seconds, main=None):
        """Watches the desktop for `seconds` or until the program ends: only
        the program's own windows, none of them said to be not responding.
        Returns when `main` was last seen on the screen."""
        last_seen = None
        deadline = time.monotonic() + seconds
        while g.proc.poll() is None and time.monotonic() < deadline:
            for window, pid, title in self.desktop.client_windows():
                self.assertEqual(pid, g.proc.pid, f"the window manager put up '{title}'")
                shown = (title + self.desktop.visible_name(window)).lower()
                self.assertNotIn("not responding", shown)
                if window == main:
                    last_seen = time.monotonic()
            time.sleep(0.2)
        return last_seen

    def test_closed_at_the_first_results_screen(self):
        g = self.new_game()
        player = self.player(g)
        main, _ = player.time_attack_to_congratulation()
        player.leave_after_the_last_prompt(main)
        wait_until(lambda: self.desktop.title(main) == "んん？", 5, "the first results screen")
        time.sleep(0.5)  # well inside its pause
        self.desktop.close_window(main)
        asked = time.monotonic()
        last_seen = self.watch(g, 40, main)
        ended = time.monotonic()
        self.assertEqual(g.proc.returncode, 0)
        # Only queued: the window stands through the five screens still to
        # come (15 s), then the close is handled and the closing letters run
        # unseen (2.1 s).
        self.assertGreater(last_seen - asked, 13)
        self.assertGreater(ended - last_seen, 1.5)

    def test_close_request_while_a_message_box_is_open(self):
        g = self.new_game()
        title = self.player(g).start()
        self.desktop.wait_window(WELCOME_BOX, pid=g.proc.pid)
        self.desktop.close_window(title)
        self.watch(g, LONGER_THAN_A_PING)
        self.assertIsNone(g.proc.poll())
        g.answer(WELCOME_BOX)
        self.desktop.wait_window("もちたま", pid=g.proc.pid)
        self.watch(g, 1)


class UnderOpenbox(DeliberateBlocks, WindowTestCase):
    window_manager = "openbox"


class UnderXfwm4(DeliberateBlocks, WindowTestCase):
    window_manager = "xfwm4"


if __name__ == "__main__":
    unittest.main()

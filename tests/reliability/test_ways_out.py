"""The ways real people and desktops end a program, tried on the built program
in real windows (Xvfb + openbox): a logout or a closed terminal (signals), the
display going away, and a record file that once had to move. Nothing the
player earned may be lost."""
import os
import signal
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.game import DEFAULT_INI, Unprivileged, UnprivilegedGame  # noqa: E402
from harness.testcase import WindowTestCase  # noqa: E402
from harness.waiting import wait_until  # noqa: E402

# Four surrenders, one quit and a best time so far.
FOUND_INI = DEFAULT_INI.replace(b"[Kousan]\r\nKaisu = 0", b"[Kousan]\r\nKaisu = 4").replace(
    b"[Tyutai]\r\nKaisu = 0", b"[Tyutai]\r\nKaisu = 1").replace(b"1st = 9999", b"1st = 83.5")
# What a won game in normal mode leaves: both counts reset, the best time kept.
WON_INI = FOUND_INI.replace(b"[Kousan]\r\nKaisu = 4", b"[Kousan]\r\nKaisu=0").replace(
    b"[Tyutai]\r\nKaisu = 1", b"[Tyutai]\r\nKaisu=0")
MOVED_BOX = ".INI Moved"


class WaysOutTest(WindowTestCase):
    default_artefacts = "reliability-artefacts"

    def play_into_the_results(self, g):
        """A whole game in normal mode, won; returns the main window once the
        second of the results screens stands."""
        player = self.player(g)
        main = player.to_opening_question()
        player.start_game(main)
        player.refuse_close(main, 7)
        player.pray_and_take_the_next_step(main)
        player.solve_the_cipher(main)
        player.chase_to_the_defeat(main)
        player.finishing_click(main)
        player.leave_after_the_last_prompt(main)
        wait_until(lambda: self.desktop.title(main) == "なんちて", 10, "the second results screen")
        return main

    # The results take twelve seconds and more; a won game was saved only
    # after them, so ending the program during them lost it.
    def test_a_logout_during_the_results_keeps_the_won_game(self):
        g = self.new_game(ini=FOUND_INI)
        self.play_into_the_results(g)
        g.proc.send_signal(signal.SIGTERM)
        self.assertEqual(g.wait_exit(), -signal.SIGTERM)
        self.assertEqual(g.ini(), WON_INI)
        self.assertEqual(sorted(os.listdir(g.dir)), ["MT.INI", "mochitama", "program-output.txt"])

    def test_the_display_going_away_during_the_results_keeps_the_won_game(self):
        g = self.new_game(ini=FOUND_INI)
        self.play_into_the_results(g)
        self.desktop.close()
        # Qt notices at its next look at the display, after the pause.
        self.assertNotEqual(g.wait_exit(), 0)
        self.assertEqual(g.ini(), WON_INI)

    def test_signals_at_any_other_moment_end_the_program_at_once(self):
        for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal=number.name):
                g = self.new_game(ini=FOUND_INI)
                self.player(g).to_opening_question()
                g.proc.send_signal(number)
                self.assertEqual(g.wait_exit(5), -number)
                self.assertEqual(g.ini(), FOUND_INI)

    # A first start whose program directory could not hold the records put
    # them in the player's data directory without a word; the next start, with
    # room again, made a fresh file beside the program and left them there.
    def test_records_that_had_to_move_stay_where_they_went(self):
        user = Unprivileged()
        home = self.remove_at_end(user.directory())
        directory = user.program_directory()
        first = self.new_game(UnprivilegedGame, user=user, home=home, directory=directory)
        # The program and its output file are in place; then nobody may write
        # there (a tester without root is the player too).
        open(first.log_path, "ab").close()
        os.chmod(directory, 0o555)
        first.start()
        # Told once, before the title window.
        first.answer(MOVED_BOX, timeout=20)
        kept = os.path.join(first.env["XDG_DATA_HOME"], "mochitama", "MT.INI")
        first.answer("Welcome to もちたま")
        main = self.desktop.wait_window("もちたま", pid=first.proc.pid)
        self.player(first).answer_yes(main)
        self.assertEqual(first.wait_exit(), 0)

        # Room beside the program now: the records stay where they went, and
        # nobody is told again.
        user.own(directory, 0o755)
        second = self.new_game(UnprivilegedGame, user=user, home=home, directory=directory)
        main = self.player(second).to_opening_question(timeout=20)
        self.assertEqual(self.desktop.windows(MOVED_BOX), [])
        self.player(second).answer_yes(main)
        self.assertEqual(second.wait_exit(), 0)
        with open(kept, "rb") as f:
            self.assertEqual(f.read(), DEFAULT_INI.replace(b"[Tyutai]\r\nKaisu = 0", b"[Tyutai]\r\nKaisu=2"))
        self.assertEqual(sorted(os.listdir(directory)), ["mochitama", "program-output.txt"])


if __name__ == "__main__":
    unittest.main()

"""A complete run in each language, in the real window: every text the game
shows fits its label, button or menu (the program's own check, asked for with
MOCHITAMA_CHECK_FIT, tells each one that does not), the English is there,
and the records keep their one format. Screenshots of the English run are
kept among the test's artefacts to look at."""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.player import Player  # noqa: E402
from harness.testcase import WindowTestCase  # noqa: E402
from harness.waiting import Timeout  # noqa: E402

LOCALES = {"en": "en_US.UTF-8", "ja": "ja_JP.UTF-8"}


class LanguageTest(WindowTestCase):
    def shoot(self, name):
        self.desktop.screenshot(os.path.join(self.artefacts, f"{name}.png"))

    def play_a_complete_run(self, language):
        g = self.new_game()
        g.env.update(LANGUAGE=language, LANG=LOCALES[language], MOCHITAMA_CHECK_FIT="1")
        g.env.pop("LC_ALL", None)
        g.env.pop("LC_MESSAGES", None)
        player = Player(g.desktop, g, language)
        try:
            player.start()
            time.sleep(0.5)
            self.shoot("1-title")
        except Timeout:
            # Its two seconds can pass between two looks of a busy observer.
            print("the title window came and went unseen: no screenshot of it", file=sys.stderr)
        player.answer("Welcome to もちたま", timeout=12)
        main = self.desktop.wait_window(player.say("もちたま"), pid=g.proc.pid)
        time.sleep(0.3)
        self.shoot("2-question")
        player.start_game(main)
        player.close_the_version_window(player.open_the_version_window(main))
        player.refuse_close(main, 7)
        self.desktop.key(main, "alt+" + player.mnemonic("ﾍﾙﾌﾟ(&H)"))
        time.sleep(0.3)
        self.shoot("3-help-menu")
        self.desktop.key(main, "Escape", "Escape")
        player.pray_and_take_the_next_step(main)
        cipher = player.open_the_cipher(main)
        time.sleep(0.3)
        self.shoot("4-cipher")
        self.desktop.key(cipher, "Home")
        player.answer("あっ！", timeout=5)
        player.chase_to_the_defeat(main)
        player.finishing_click(main)
        self.shoot("5-congratulation")
        player.leave_after_the_last_prompt(main)
        # The results: four screens of 3 s, then the closing letters.
        for i in range(4):
            time.sleep(1.5 if i == 0 else 3)
            self.shoot(f"6-results-{i + 1}")
        self.assertEqual(g.wait_exit(timeout=40), 0)
        return g

    def assert_fits(self, g):
        misfits = [line for line in g.output().decode("utf-8", "replace").splitlines() if "does not fit" in line]
        self.assertEqual(misfits, [], "texts that do not fit")

    def test_a_complete_run_in_english(self):
        g = self.play_a_complete_run("en")
        self.assert_fits(g)
        # The same records as in Japanese: the keys and lines of the one format.
        self.assertRegex(g.ini(), rb"\[Tyutai\]\r\nKaisu ?= ?\d+\r\n")
        self.assertRegex(g.ini(), rb"\[Kousan\]\r\nKaisu ?= ?\d+\r\n")

    def test_a_complete_run_in_japanese_fits_too(self):
        self.assert_fits(self.play_a_complete_run("ja"))


if __name__ == "__main__":
    import unittest
    unittest.main()

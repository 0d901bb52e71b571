"""The built program in a real window, driven from outside as a person would."""
import os
import re
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from desktop import Desktop, Game, wait_until  # noqa: E402
from scenario import YES_BUTTON, Player  # noqa: E402

BINARY = os.environ.get("MOCHITAMA_BIN", "build/mochitama")
ARTEFACTS = os.environ.get("MOCHITAMA_E2E_ARTEFACTS", "e2e-artefacts")

DEFAULT_INI = (b";\r\n; MT.INI                        Mochitama Workshop\r\n;\r\n[Kousan]\r\nKaisu = 0\r\n\r\n"
               b"[Tyutai]\r\nKaisu = 0\r\n\r\n[Time]\r\n1st = 9999\r\n")

DARK_CYAN = (0, 128, 128)
RED = (255, 0, 0)


class RealWindowTest(unittest.TestCase):
    def setUp(self):
        self.desktop = Desktop()
        self.games = []
        self.last_shot = None

    def tearDown(self):
        # Kept for every test: a failure is then easy to read afterwards.
        self.keep_artefacts()
        for g in self.games:
            g.kill()
        self.desktop.close()
        for g in self.games:
            shutil.rmtree(g.dir, ignore_errors=True)

    def keep_artefacts(self):
        target = os.path.join(ARTEFACTS, self.id().split(".")[-1])
        os.makedirs(target, exist_ok=True)
        try:
            self.desktop.screenshot(os.path.join(target, "last-screen.png"))
        except Exception:  # the display may be gone; keep what we have
            pass
        for g in self.games:
            for name in ("program-output.txt", "MT.INI"):
                if os.path.exists(os.path.join(g.dir, name)):
                    shutil.copy2(os.path.join(g.dir, name), target)
        print(f"screenshot, output and MT.INI kept in {os.path.abspath(target)}", file=sys.stderr)

    # ---- steps
    def new_game(self, **kwargs):
        g = Game(self.desktop, BINARY, **kwargs)
        self.games.append(g)
        return g

    def shot(self, name):
        target = os.path.join(ARTEFACTS, self.id().split(".")[-1])
        os.makedirs(target, exist_ok=True)
        self.last_shot = self.desktop.screenshot(os.path.join(target, name + ".png"))
        return self.last_shot

    def colour_at(self, window, x, y, name="screen"):
        shot = self.shot(name)
        left, top, _, _ = self.desktop.geometry(window)
        return self.desktop.pixel(shot, left + x, top + y)

    def player(self, g):
        return Player(self.desktop, g)

    # ---- tests
    def test_quit_at_the_opening_question(self):
        ini = DEFAULT_INI.replace(b"[Time]\r\n1st = 9999", b"[Time]\r\n1st = 83.5")
        g = self.new_game(ini=ini)
        main = self.player(g).to_opening_question()
        self.assertEqual(self.colour_at(main, 10, 10), DARK_CYAN)
        self.desktop.click_twips(main, *YES_BUTTON)
        g.answer("Welcome to もちたま")
        self.assertEqual(g.wait_exit(), 0)
        self.assertEqual(g.ini(), ini.replace(b"[Tyutai]\r\nKaisu = 0", b"[Tyutai]\r\nKaisu=1"))

    def test_three_refused_closes_then_surrender_with_the_stage_hint(self):
        g = self.new_game()
        player = self.player(g)
        main = player.to_opening_question()
        player.answer_no(main)
        player.surrender_early(main)
        # Between the two lines, where the confirmation box stood: painted over.
        bar = player.menu_bar_height(main)
        self.assertEqual(self.colour_at(main, 100, bar + 85, "surrender-hint"), DARK_CYAN)
        g.answer("仕方ないなぁ", timeout=6)
        self.assertEqual(g.wait_exit(), 0)
        self.assertEqual(g.ini(), DEFAULT_INI.replace(b"[Kousan]\r\nKaisu = 0", b"[Kousan]\r\nKaisu=1"))

    def test_a_second_copy_only_says_so(self):
        first = self.new_game()
        self.player(first).start()
        before = first.ini()
        second = self.new_game(directory=first.dir)
        second.start()
        second.answer("二重起動ERROR")
        self.assertEqual(second.wait_exit(), 0)
        self.assertEqual(first.ini(), before)
        self.assertIsNone(first.proc.poll())

    def test_sleep_hides_every_window_for_three_seconds(self):
        g = self.new_game()
        player = self.player(g)
        main = player.to_opening_question()
        player.answer_no(main)
        player.refuse_close(main, 7)
        before = self.desktop.geometry(main)
        self.desktop.key(main, "alt+n", "s")
        g.answer("であ")
        g.answer("であであ")
        hidden_at = time.monotonic()
        self.assertEqual(self.desktop.visible_windows_of(g.proc.pid), [])
        box = self.desktop.wait_window("っておい！", timeout=6, pid=g.proc.pid)
        self.assertAlmostEqual(time.monotonic() - hidden_at, 3.0, delta=0.6)
        self.assertEqual(self.desktop.windows("もちたま", pid=g.proc.pid), [])
        self.desktop.key(box, "Return")
        main_again = self.desktop.wait_window("もちたま", pid=g.proc.pid)
        self.assertEqual(main_again, main)
        self.assertEqual(self.desktop.geometry(main), before)

    def test_a_complete_time_attack_run(self):
        g = self.new_game()
        player = self.player(g)
        main, clicks = player.time_attack_to_congratulation()
        bar = player.menu_bar_height(main)
        self.assertEqual(self.colour_at(main, 5, bar + 5, "congratulation"), RED)
        g.answer("最後だよ", timeout=6)
        player.press_exit_button(main)
        wait_until(lambda: self.desktop.title(main) == "結果発表", 10, "the results")
        self.assertEqual(g.wait_exit(timeout=40), 0)
        ini = g.ini()
        self.assertIn(b"[Kousan]\r\nKaisu=0\r\n", ini)
        self.assertIn(b"[Tyutai]\r\nKaisu=0\r\n", ini)
        best = re.search(rb"\[Time\]\r\n1st=([0-9.]+)\r\n", ini)
        self.assertIsNotNone(best, ini)
        self.assertLess(float(best.group(1)), 9999)


if __name__ == "__main__":
    unittest.main()

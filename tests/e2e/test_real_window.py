"""The built program in a real window, driven from outside as a person would."""
import os
import re
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from desktop import Desktop, Game, wait_until  # noqa: E402

BINARY = os.environ.get("MOCHITAMA_BIN", "build/mochitama")
ARTEFACTS = os.environ.get("MOCHITAMA_E2E_ARTEFACTS", "e2e-artefacts")

DEFAULT_INI = (b";\r\n; MT.INI                        Mochitama Workshop\r\n;\r\n[Kousan]\r\nKaisu = 0\r\n\r\n"
               b"[Tyutai]\r\nKaisu = 0\r\n\r\n[Time]\r\n1st = 9999\r\n")

# Controls of the main window in twips: left, top, width, height.
YES_BUTTON = (1080, 2400, 975, 375)
NO_BUTTON = (3000, 2400, 975, 375)
SURRENDER_AT_EXIT_PLACE = (3840, 2760, 975, 375)
CIPHER_BUTTON = (480, 2760, 1215, 375)

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

    def to_opening_question(self, g, time_attack=False):
        g.start()
        title = self.desktop.wait_window("もちたまの世界へようこそ", pid=g.proc.pid)
        if time_attack:
            self.desktop.key(title, "Left", "Up", "Right", "Down", "Left", "Up", "Right", "Down")
        g.answer("Welcome to もちたま")
        return self.desktop.wait_window("もちたま TimeAttack MODE" if time_attack else "もちたま", pid=g.proc.pid)

    def refuse_close(self, g, main, times=1, first_attempt=1):
        for attempt in range(first_attempt, first_attempt + times):
            self.desktop.close_window(main)
            g.answer("だめだめ")
            if attempt == 7:
                g.answer("ををっ！", timeout=5)
                g.answer("をををっ！", timeout=5)

    # ---- tests
    def test_quit_at_the_opening_question(self):
        ini = DEFAULT_INI.replace(b"[Time]\r\n1st = 9999", b"[Time]\r\n1st = 83.5")
        g = self.new_game(ini=ini)
        main = self.to_opening_question(g)
        self.assertEqual(self.colour_at(main, 10, 10), DARK_CYAN)
        self.desktop.click_twips(main, *YES_BUTTON)
        g.answer("Welcome to もちたま")
        self.assertEqual(g.wait_exit(), 0)
        self.assertEqual(g.ini(), ini.replace(b"[Tyutai]\r\nKaisu = 0", b"[Tyutai]\r\nKaisu=1"))

    def test_three_refused_closes_then_surrender_with_the_stage_hint(self):
        g = self.new_game()
        main = self.to_opening_question(g)
        self.desktop.click_twips(main, *NO_BUTTON)
        g.answer("Welcome to もちたま")
        self.refuse_close(g, main, 3)
        self.desktop.click_twips(main, *SURRENDER_AT_EXIT_PLACE, menu_bar=self.menu_bar_height(main))
        g.answer("降参？", keys=("alt+y",))
        wait_until(lambda: self.desktop.title(main) == "ｸﾘｱ度 0%", 3, "the clear-rate caption")
        # Between the two lines, where the confirmation box stood: painted over.
        bar = self.menu_bar_height(main)
        self.assertEqual(self.colour_at(main, 100, bar + 85, "surrender-hint"), DARK_CYAN)
        g.answer("仕方ないなぁ", timeout=6)
        self.assertEqual(g.wait_exit(), 0)
        self.assertEqual(g.ini(), DEFAULT_INI.replace(b"[Kousan]\r\nKaisu = 0", b"[Kousan]\r\nKaisu=1"))

    def test_a_second_copy_only_says_so(self):
        first = self.new_game()
        first.start()
        self.desktop.wait_window("もちたまの世界へようこそ", pid=first.proc.pid)
        before = first.ini()
        second = self.new_game(directory=first.dir)
        second.start()
        second.answer("二重起動ERROR")
        self.assertEqual(second.wait_exit(), 0)
        self.assertEqual(first.ini(), before)
        self.assertIsNone(first.proc.poll())

    def test_sleep_hides_every_window_for_three_seconds(self):
        g = self.new_game()
        main = self.to_opening_question(g)
        self.desktop.click_twips(main, *NO_BUTTON)
        g.answer("Welcome to もちたま")
        self.refuse_close(g, main, 7)
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
        main = self.to_opening_question(g, time_attack=True)
        self.desktop.key(main, "Return")  # いいえ has the focus
        g.answer("もちたま TIME ATTACK")
        self.refuse_close(g, main, 7)
        self.desktop.key(main, "alt+n", "p")
        g.answer("Like A Prayer")
        # The blank menu right of 謎のｺﾏﾝﾄﾞ holds the next step.
        self.desktop.key(main, "alt+n", "Right", "Return")
        g.answer("あっ！")
        bar = self.menu_bar_height(main)
        self.desktop.click_twips(main, *CIPHER_BUTTON, menu_bar=bar)
        g.answer("発見！")
        for title in ("問題", "解読結果", "解読結果", "謎解き"):
            g.answer(title, timeout=5)
        cipher = self.cipher_window(g)
        self.desktop.key(cipher, "Home")
        g.answer("あっ！", timeout=5)
        # The chase: click (Tab gives the Exit button the focus, Space presses it).
        clicks = 0
        remarks = ["だめだめ", "でもねぇ", "うひひ", "はぁと", "退散なり～"]
        while True:
            clicks += 1
            self.desktop.key(main, "Tab", "space")
            if clicks <= 5:
                g.answer(remarks[clicks - 1])
            elif clicks % 3 == 0:
                g.answer("敵は怯んでいる")
                break
            time.sleep(clicks * 0.1 + 0.15)
        self.desktop.key(main, "alt+h", "c")
        g.answer("降参？", keys=("alt+y",))
        g.answer("HIT!")
        self.desktop.key(main, "alt+f", "x")
        g.answer("倒したぞ！")
        time.sleep(clicks * 0.1 + 0.15)
        self.desktop.key(main, "Tab", "space")
        g.answer("もちたま TIME ATTACK", timeout=5)
        wait_until(lambda: self.desktop.title(main) == "こんぐらちゅれーしょんず！", 3, "the congratulation")
        self.assertEqual(self.colour_at(main, 5, bar + 5, "congratulation"), RED)
        g.answer("最後だよ", timeout=6)
        self.desktop.key(main, "Tab", "space")
        wait_until(lambda: self.desktop.title(main) == "結果発表", 10, "the results")
        self.assertEqual(g.wait_exit(timeout=40), 0)
        ini = g.ini()
        self.assertIn(b"[Kousan]\r\nKaisu=0\r\n", ini)
        self.assertIn(b"[Tyutai]\r\nKaisu=0\r\n", ini)
        best = re.search(rb"\[Time\]\r\n1st=([0-9.]+)\r\n", ini)
        self.assertIsNotNone(best, ini)
        self.assertLess(float(best.group(1)), 9999)

    # ---- helpers that read the screen
    def menu_bar_height(self, main):
        """The client area grows by the menu bar; the designed area is below it."""
        _, _, _, height = self.desktop.geometry(main)
        return height - 3600 // 15

    def cipher_window(self, g):
        def find():
            for w in self.desktop.visible_windows_of(g.proc.pid):
                if self.desktop.geometry(w)[2:] == (3960 // 15, 1290 // 15):
                    return w
            return None
        return wait_until(find, 5, "the cipher window")


if __name__ == "__main__":
    unittest.main()

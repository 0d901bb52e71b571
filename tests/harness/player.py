"""A player's ways through the game, step by step, from outside the program.

Shared by the window and reliability tests, the benchmark and
tools/screenshots.py, so that they all walk through the same screens.
"""
import os
import re
import sys
import time

from harness.waiting import wait_until

TITLE_WINDOW = "もちたまの世界へようこそ"
WELCOME_BOX = "Welcome to もちたま"
SECOND_COPY_BOX = "二重起動ERROR"
VERSION_WINDOW = "ﾊﾞｰｼﾞｮﾝ情報"

# Controls of the main window in twips: left, top, width, height.
YES_BUTTON = (1080, 2400, 975, 375)
NO_BUTTON = (3000, 2400, 975, 375)
SURRENDER_AT_EXIT_PLACE = (3840, 2760, 975, 375)
CIPHER_BUTTON = (480, 2760, 1215, 375)

# The designed client areas, in twips.
MAIN_CLIENT = (5115, 3600)
CIPHER_CLIENT = (3960, 1290)

# What the Exit button says to the first five clicks of the chase.
CHASE_REMARKS = ["だめだめ", "でもねぇ", "うひひ", "はぁと", "退散なり～"]


_ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def english():
    """The English catalogue, {japanese: english}, as the build compiles it."""
    sys.path.insert(0, os.path.join(_ROOT, "tools"))
    try:
        import po_table
    finally:
        sys.path.pop(0)
    return po_table.translations(os.path.join(_ROOT, "po", "en.po"))


class Player:
    """Plays one running copy of the game on a desktop, in the language the
    game speaks ("ja" or "en"; the game is told by its environment)."""

    def __init__(self, desktop, game, language="ja"):
        self.desktop = desktop
        self.game = game
        words = english() if language == "en" else {}
        self.say = lambda japanese: words.get(japanese, japanese)

    def mnemonic(self, caption):
        """The key that opens a menu or item with this Japanese caption, in the
        game's language: "ﾍﾙﾌﾟ(&H)" is h, "&Help" too."""
        return re.search(r"&(.)", self.say(caption)).group(1).lower()

    def menu_keys(self, menu, item):
        return "alt+" + self.mnemonic(menu), self.mnemonic(item)

    def answer(self, japanese_title, **kwargs):
        self.game.answer(self.say(japanese_title), **kwargs)

    def give_up(self):
        """Answers 降参？ with its Yes."""
        self.answer("降参？", keys=("alt+" + self.mnemonic("はい(&Y)"),))

    # ---- looking
    def menu_bar_height(self, main):
        """The window keeps a row for its menu bar below the designed area; once
        the bar shows, the row is the bar and the designed area is below it."""
        _, _, _, height = self.desktop.geometry(main)
        return height - self.desktop.pixels(MAIN_CLIENT[1])

    def cipher_window(self):
        size = (self.desktop.pixels(CIPHER_CLIENT[0]), self.desktop.pixels(CIPHER_CLIENT[1]))

        def find():
            for w in self.desktop.visible_windows_of(self.game.proc.pid):
                if self.desktop.geometry(w)[2:] == size:
                    return w
            return None
        return wait_until(find, 5, "the cipher window")

    # ---- steps
    def start(self, timeout=10):
        """Starts the program; returns the title window."""
        self.game.start()
        return self.desktop.wait_window(self.say(TITLE_WINDOW), timeout=timeout, pid=self.game.proc.pid)

    def to_opening_question(self, time_attack=False, timeout=10):
        """From the start to the main window asking whether to quit; returns it.
        `timeout` is for the title window (a crowded machine is slow to start)."""
        if time_attack:
            title = self.start(timeout)
            self.desktop.key(title, "Left", "Up", "Right", "Down", "Left", "Up", "Right", "Down")
        else:
            # The title stays two seconds, which a busy machine's observer can
            # miss; the box that follows it waits.
            self.game.start()
        self.answer(WELCOME_BOX, timeout=timeout + 2)
        return self.desktop.wait_window(self.say("もちたま TimeAttack MODE" if time_attack else "もちたま"),
                                        pid=self.game.proc.pid)

    def answer_yes(self, main):
        """Clicks はい at the opening question: the program saves and ends."""
        self.desktop.click_twips(main, *YES_BUTTON)
        self.answer(WELCOME_BOX)

    def answer_no(self, main):
        """Clicks いいえ at the opening question: the game begins."""
        self.desktop.click_twips(main, *NO_BUTTON)
        self.answer(WELCOME_BOX)

    def refuse_close(self, main, times=1, first_attempt=1):
        for attempt in range(first_attempt, first_attempt + times):
            self.desktop.close_window(main)
            self.answer("だめだめ")
            if attempt == 7:
                self.answer("ををっ！", timeout=5)
                self.answer("をををっ！", timeout=5)

    def surrender_early(self, main):
        """Three refused closes bring out 降参; pressing it and answering はい
        shows the first hint. Returns once the clear rate is in the caption."""
        self.refuse_close(main, 3)
        self.desktop.click_twips(main, *SURRENDER_AT_EXIT_PLACE, menu_bar=self.menu_bar_height(main))
        self.give_up()
        wait_until(lambda: self.desktop.title(main) == self.say("ｸﾘｱ度 0%"), 3, "the clear-rate caption")

    def press_exit_button(self, main):
        # Tab gives the Exit button the focus, Space presses it.
        self.desktop.key(main, "Tab", "space")

    def start_game(self, main, time_attack=False):
        """Answers いいえ (it has the focus) and its box: the game begins."""
        self.desktop.key(main, "Return")
        self.answer("もちたま TIME ATTACK" if time_attack else WELCOME_BOX)

    def open_the_version_window(self, main):
        self.desktop.key(main, *self.menu_keys("ﾍﾙﾌﾟ(&H)", "ﾊﾞｰｼﾞｮﾝ情報(&V)"))
        return self.desktop.wait_window(self.say(VERSION_WINDOW), pid=self.game.proc.pid)

    def close_the_version_window(self, version):
        self.desktop.key(version, "Return")
        wait_until(lambda: not self.desktop.windows(self.say(VERSION_WINDOW), pid=self.game.proc.pid), 5,
                   "the version dialog to close")

    def pray_and_take_the_next_step(self, main):
        self.desktop.key(main, *self.menu_keys("謎のｺﾏﾝﾄﾞ(&N)", "祈る(&P)"))
        self.answer("Like A Prayer")
        # The blank menu right of 謎のｺﾏﾝﾄﾞ holds the next step.
        self.desktop.key(main, "alt+" + self.mnemonic("謎のｺﾏﾝﾄﾞ(&N)"), "Right", "Return")
        self.answer("あっ！")

    def open_the_cipher(self, main):
        """From 家を探せ！ through the cipher's introduction; returns the cipher window."""
        self.desktop.click_twips(main, *CIPHER_BUTTON, menu_bar=self.menu_bar_height(main))
        self.answer("発見！")
        for title in ("問題", "解読結果", "解読結果", "謎解き"):
            self.answer(title, timeout=5)
        return self.cipher_window()

    def solve_the_cipher(self, main):
        cipher = self.open_the_cipher(main)
        self.desktop.key(cipher, "Home")
        self.answer("あっ！", timeout=5)

    def chase_to_the_defeat(self, main, after_click=None):
        """Clicks the Exit button until it wriggles, hits it with a surrender
        and defeats it with File > 終了. Returns the number of clicks (the
        button's pauses grow with it). after_click(clicks), when given, is
        called after each click that leaves the button running, before the
        pause that lets it move."""
        clicks = 0
        while True:
            clicks += 1
            self.press_exit_button(main)
            if clicks <= len(CHASE_REMARKS):
                self.answer(CHASE_REMARKS[clicks - 1])
            elif clicks % 3 == 0:
                self.answer("敵は怯んでいる")
                break
            if after_click:
                after_click(clicks)
            time.sleep(clicks * 0.1 + 0.15)
        self.desktop.key(main, *self.menu_keys("ﾍﾙﾌﾟ(&H)", "降参(&C)"))
        self.give_up()
        self.answer("HIT!")
        self.desktop.key(main, *self.menu_keys("ﾌｧｲﾙ(&F)", "終了(&X)"))
        self.answer("倒したぞ！")
        time.sleep(clicks * 0.1 + 0.15)
        return clicks

    def finishing_click(self, main, time_attack=False):
        self.press_exit_button(main)
        self.answer("もちたま TIME ATTACK" if time_attack else "おめでとう", timeout=5)
        wait_until(lambda: self.desktop.title(main) == self.say("こんぐらちゅれーしょんず！"), 3, "the congratulation")

    def leave_after_the_last_prompt(self, main, timeout=6):
        """Answers 最後だよ (it comes three seconds after the congratulation)
        and presses Exit: the results begin."""
        self.answer("最後だよ", timeout=timeout)
        self.press_exit_button(main)

    def time_attack_to_congratulation(self):
        """The whole time-attack run up to the congratulation screen.

        Returns the main window and the number of clicks the chase took."""
        main = self.to_opening_question(time_attack=True)
        self.start_game(main, time_attack=True)
        self.refuse_close(main, 7)
        self.pray_and_take_the_next_step(main)
        self.solve_the_cipher(main)
        clicks = self.chase_to_the_defeat(main)
        self.finishing_click(main, time_attack=True)
        return main, clicks

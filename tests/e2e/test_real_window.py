"""The built program in a real window, driven from outside as a person would
and watched from outside: the screen timeline records every change on the
screen, and each timed beat is checked from it (what was on the screen, from
when, for how long)."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.beats import ALLOWANCE, assert_lasts  # noqa: E402
from harness.desktop import SCREEN_H, SCREEN_W, TWIPS_PER_PIXEL  # noqa: E402
from harness.game import DEFAULT_INI  # noqa: E402
from harness.player import CIPHER_CLIENT, MAIN_CLIENT, SECOND_COPY_BOX, TITLE_WINDOW, WELCOME_BOX  # noqa: E402
from harness.testcase import WindowTestCase  # noqa: E402
from harness.waiting import wait_until  # noqa: E402

# Colours as the screen shows them, 0xRRGGBB.
DARK_CYAN = 0x008080
RED = 0xFF0000
BLUE = 0x0000FF
CYAN = 0x00FFFF
PINK = 0xFF80FF  # the closing letters お, わ, り
TITLE_BACKGROUND = 0xFFE0C0


def centre(rect):
    x, y, w, h = rect
    return x + w / 2, y + h / 2


def segments(states, shortest=30):
    """Consecutive shown states with the same pixels, as (start, end, state):
    what stood on the screen and for how long. A state shorter than `shortest`
    ms (a paint seen half done) goes into the one after it."""
    found = []
    for s in states:
        if not s.shown:
            continue
        if found and found[-1][2].frame is s.frame:
            found[-1] = (found[-1][0], s.until, found[-1][2])
        elif found and found[-1][1] - found[-1][0] < shortest:
            found[-1] = (found[-1][0], s.until, s)
        else:
            found.append((s.t, s.until, s))
    return found


class RealWindowTest(WindowTestCase):
    def setUp(self):
        super().setUp()
        self.record_screen()

    # ---- what the timeline must show
    def box_spans(self, tl, pid, title):
        spans = tl.boxes(title, pid=pid)
        self.assertTrue(spans, f"the box '{title}' never came")
        return spans

    def assert_boxes_centred_over_their_owners(self, tl, pid, forms):
        """Every message box: centred over the form window on the screen when
        it came, else in the middle of the screen."""
        form_ids = {f.window for f in forms}
        for box in tl.windows(pid):
            if box.window in form_ids:
                continue
            first = box.first(lambda s: s.shown)
            if first is None:
                continue
            owners = [f.first(lambda s, t=first.t: s.shown and s.t <= t < s.until) for f in forms]
            owners = [o for o in owners if o is not None]
            expected = centre(owners[-1].outer) if owners else (SCREEN_W / 2, SCREEN_H / 2)
            got = centre(first.outer)
            self.assertLessEqual(abs(got[0] - expected[0]), 2, f"box '{first.title}' at {first.outer}, not "
                                                                f"centred on {expected}")
            self.assertLessEqual(abs(got[1] - expected[1]), 2, f"box '{first.title}' at {first.outer}, not "
                                                                f"centred on {expected}")

    # ---- tests
    def test_quit_at_the_opening_question(self):
        ini = DEFAULT_INI.replace(b"[Time]\r\n1st = 9999", b"[Time]\r\n1st = 83.5")
        g = self.new_game(ini=ini)
        player = self.player(g)
        main = player.to_opening_question()
        player.answer_yes(main)
        self.assertEqual(g.wait_exit(), 0)
        self.assertEqual(g.ini(), ini.replace(b"[Tyutai]\r\nKaisu = 0", b"[Tyutai]\r\nKaisu=1"))

        tl = self.timeline()
        question = tl.window("もちたま", pid=g.proc.pid).first(lambda s: s.count(DARK_CYAN) > 70000)
        self.assertIsNotNone(question, "the question on dark cyan never reached the screen")
        # Centred as it is shown, without the menu bar its load hides.
        self.assertLessEqual(abs(centre(question.outer)[1] - SCREEN_H / 2), 1, question.outer)
        self.assertLessEqual(abs(centre(question.outer)[0] - SCREEN_W / 2), 1, question.outer)

    def test_three_refused_closes_then_surrender_with_the_stage_hint(self):
        g = self.new_game()
        player = self.player(g)
        main = player.to_opening_question()
        player.answer_no(main)
        player.surrender_early(main)
        g.answer("仕方ないなぁ", timeout=6)
        self.assertEqual(g.wait_exit(), 0)
        self.assertEqual(g.ini(), DEFAULT_INI.replace(b"[Kousan]\r\nKaisu = 0", b"[Kousan]\r\nKaisu=1"))

        tl = self.timeline()
        pid = g.proc.pid
        window = tl.window("ｸﾘｱ度 0%", pid=pid)
        hint = window.first(lambda s: s.title == "ｸﾘｱ度 0%" and s.count(CYAN) > 500)
        self.assertIsNotNone(hint, "the hint never reached the screen")
        # Whole, on dark cyan: the confirmation box left no hole.
        self.assertGreater(hint.count(DARK_CYAN), 74000)
        farewell = self.box_spans(tl, pid, "仕方ないなぁ")[0]
        assert_lasts(tl, hint.t, farewell.start, "the surrender hint")

    def test_a_second_copy_only_says_so(self):
        first = self.new_game()
        first.start()
        self.desktop.wait_window(WELCOME_BOX, timeout=12, pid=first.proc.pid)
        before = first.ini()
        second = self.new_game(directory=first.dir)
        second.start()
        second.answer(SECOND_COPY_BOX)
        self.assertEqual(second.wait_exit(), 1)
        self.assertEqual(first.ini(), before)
        self.assertIsNone(first.proc.poll())

    def test_a_complete_normal_run_beat_by_beat(self):
        g = self.new_game()
        player = self.player(g)
        main = player.to_opening_question()
        player.start_game(main)
        # The hint, once: a blue flash of 0.7 s.
        self.desktop.key(main, "alt+h", "o")
        g.answer("仕方ないなぁ")
        time.sleep(1)
        # The blank item, three times: the secret of the time attack for 2 s.
        for _ in range(3):
            self.desktop.key(main, "alt+h", "Down", "Return")
            g.answer("くふふ")
        time.sleep(2.5)
        player.refuse_close(main, 7)
        placed = self.desktop.geometry(main)
        # Sleep: no window for 3 s, then the same window where it was.
        self.desktop.key(main, "alt+n", "s")
        g.answer("であ")
        g.answer("であであ")
        g.answer("っておい！", timeout=6)
        self.assertEqual(self.desktop.wait_window("もちたま", pid=g.proc.pid), main)
        self.assertEqual(self.desktop.geometry(main), placed)
        player.pray_and_take_the_next_step(main)
        # The cipher, left unanswered: 30 s, then it gives up.
        player.open_the_cipher(main)
        g.answer("Time Is UP!", timeout=35)
        self.desktop.wait_window("もちたま", pid=g.proc.pid)
        player.solve_the_cipher(main)
        player.chase_to_the_defeat(main)
        player.finishing_click(main)
        player.leave_after_the_last_prompt(main)
        self.assertEqual(g.wait_exit(timeout=40), 0)
        self.assert_the_beats_of_a_normal_run(self.timeline(), g.proc.pid)

    def assert_the_beats_of_a_normal_run(self, tl, pid):
        title = tl.window(TITLE_WINDOW, pid=pid)
        window = tl.window("結果発表", pid=pid)
        cipher_size = tuple(round(v / TWIPS_PER_PIXEL) for v in CIPHER_CLIENT)
        # The cipher window is made anew each time it opens.
        ciphers = [h for h in tl.windows(pid) if h.states[0].rect[2:] == cipher_size]
        cipher = ciphers[0]

        shown = title.first(lambda s: s.shown and s.count(TITLE_BACKGROUND) > 20000)
        assert_lasts(tl, shown.t, title.shown_spans()[0].end, "the title window")

        blue = window.spans(lambda s: s.count(BLUE) > 20000)
        self.assertEqual(len(blue), 2, f"blue flashes: {blue}")
        assert_lasts(tl, blue[0].start, blue[0].end, "the hint's flash")
        assert_lasts(tl, blue[1].start, blue[1].end, "the blank item's flash")
        self.assertGreater(blue[1].states[0].count(RED), 300, "the red arrows of the blank item's flash")

        # The seventh close: two frozen seconds, the window as it was.
        last_scolding = self.box_spans(tl, pid, "だめだめ")[6]
        ooh, oooh = self.box_spans(tl, pid, "ををっ！")[0], self.box_spans(tl, pid, "をををっ！")[0]
        assert_lasts(tl, last_scolding.end, ooh.start, "a freeze", "the first freeze")
        assert_lasts(tl, ooh.end, oooh.start, "a freeze", "the second freeze")
        before = [s for s in window.states if s.until <= last_scolding.start and s.duration >= 30][-1]
        # The box that ends a freeze draws over the window a few milliseconds
        # before the box itself counts as shown: that is the end, not a change.
        for start, end in ((last_scolding.end, ooh.start - ALLOWANCE["early"]),
                           (ooh.end, oooh.start - ALLOWANCE["early"])):
            for s in window.states:
                if start <= s.t < end and s.duration >= 50:
                    self.assertTrue(s.frame.same_as(before.frame),
                                    f"the window changed its look during a freeze at {s.t - start:.0f} ms")

        gaps = [gap for gap in tl.nothing_shown(pid) if gap.duration > 500]
        self.assertEqual(len(gaps), 1, f"times with no window: {gaps}")
        assert_lasts(tl, gaps[0].start, gaps[0].end, "the sleep")

        opened = cipher.shown_spans()[0]
        assert_lasts(tl, opened.start, self.box_spans(tl, pid, "問題")[0].start, "the cipher's intro")
        assert_lasts(tl, self.box_spans(tl, pid, "謎解き")[0].end, self.box_spans(tl, pid, "Time Is UP!")[0].start,
                     "the cipher's time limit")

        # The results: four screens of 3 s, then お, わ, り, each alone for
        # 0.3 s with 0.3 s of empty window after it.
        results = window.first(lambda s: s.title == "んん？")
        screens = segments(s for s in window.states if s.t >= results.t)
        self.assertEqual(len(screens), 4 + 7, [(round(e - b), st.title) for b, e, st in screens])
        for i, (start, end, _) in enumerate(screens[:4]):
            assert_lasts(tl, start, end, "a results screen", f"results screen {i + 1}")
        for i, (start, end, state) in enumerate(screens[4:]):
            letter = i % 2 == 1
            self.assertEqual(state.count(PINK) > 200, letter, f"step {i} of the closing letters")
            self.assertGreater(state.count(DARK_CYAN), 70000)
            assert_lasts(tl, start, end, "a closing letter step", f"step {i} of the closing letters")
        letters = [state for _, _, state in screens[4:]][1::2]
        places = [min(i % state.frame.width for i, p in enumerate(state.frame.pixels) if p == PINK) for state in letters]
        self.assertEqual(places, sorted(places), "お, わ, り are not left to right")

        self.assert_boxes_centred_over_their_owners(tl, pid, [title, window] + ciphers)

    def test_a_time_attack_run_closed_during_its_results(self):
        g = self.new_game()
        player = self.player(g)
        main, clicks = player.time_attack_to_congratulation()
        player.leave_after_the_last_prompt(main)
        wait_until(lambda: self.desktop.title(main) == "結果発表", 15, "the third results screen")
        # On the sixth screen, closing is only queued: the results go on to
        # their end. (This close comes less than openbox's 6.5 s before the
        # end of the pauses, so it says nothing about the window manager's
        # pings: tests/reliability/test_deliberate_blocks.py does.)
        time.sleep(9.5)
        self.desktop.close_window(main)
        self.assertEqual(g.wait_exit(timeout=40), 0)
        self.recorder.wait_for_the_end_of(g.proc.pid)
        ini = g.ini()
        self.assertIn(b"[Kousan]\r\nKaisu=0\r\n", ini)
        self.assertIn(b"[Tyutai]\r\nKaisu=0\r\n", ini)
        best = re.search(rb"\[Time\]\r\n1st=([0-9.]+)\r\n", ini)
        self.assertIsNotNone(best, ini)
        self.assertLess(float(best.group(1)), 9999)

        tl = self.timeline()
        pid = g.proc.pid
        window = tl.window("結果発表", pid=pid)
        congratulation = window.first(lambda s: s.title == "こんぐらちゅれーしょんず！" and s.count(RED) > 60000)
        self.assertIsNotNone(congratulation, "the red congratulation never reached the screen")
        assert_lasts(tl, congratulation.t, self.box_spans(tl, pid, "最後だよ")[0].start,
                     "the congratulation before the last prompt")
        results = window.first(lambda s: s.title == "んん？")
        screens = segments(s for s in window.states if s.t >= results.t)
        # Six screens (the time and the new record too), then the close
        # request is handled: the window goes, and the rest runs unseen.
        self.assertEqual(len(screens), 6, [(round(e - b), st.title) for b, e, st in screens])
        for i, (start, end, _) in enumerate(screens):
            assert_lasts(tl, start, end, "a results screen", f"results screen {i + 1}")
        gone = screens[-1][1]
        assert_lasts(tl, gone, tl.ended(pid), "the unseen closing letters")


class SmallScreenTest(WindowTestCase):
    def test_a_window_bigger_than_the_screen_keeps_its_title_bar_on_it(self):
        # 640 × 480 at three screen pixels to each of the program's: the main
        # window is 1040 × 800 or more, and centred it would start at about
        # (-200, -160), its title bar, menus and buttons out of reach.
        desktop = self.another_desktop(size=(640, 480), scale_factor=3)
        g = self.new_game(desktop=desktop)
        main = self.player(g).to_opening_question(timeout=20)
        left, top, width, height = desktop.frame(main)
        desktop.screenshot(os.path.join(self.artefacts, "small-screen.png"))
        self.assertGreater(width, 640)
        self.assertGreater(height, 480)
        self.assertEqual((left, top), (0, 0))


def runs(rows, holds):
    """Runs of consecutive row numbers whose pixels hold, as (first, count)."""
    found = []
    for i, row in enumerate(rows):
        if holds(row):
            if found and found[-1][0] + found[-1][1] == i:
                found[-1] = (found[-1][0], found[-1][1] + 1)
            else:
                found.append((i, 1))
    return found


class MainWindowLookTest(WindowTestCase):
    def test_the_menu_bar_takes_its_row_from_inside_the_window(self):
        g = self.new_game()
        player = self.player(g)
        main = player.to_opening_question()
        frame, client = self.desktop.frame(main), self.desktop.geometry(main)
        designed_height = self.desktop.pixels(MAIN_CLIENT[1])
        column = client[0] + client[2] - 3  # right of every control
        # No bar yet: the window is dark cyan from top to bottom at its right.
        before = self.desktop.grab((column, client[1], 1, client[3]))
        self.assertEqual(runs(before, lambda r: r[0] == DARK_CYAN), [(0, client[3])])
        self.desktop.screenshot(os.path.join(self.artefacts, "before-the-bar.png"))

        player.start_game(main)

        def column_now():
            return self.desktop.grab((column, client[1], 1, client[3]))
        wait_until(lambda: column_now()[0][0] != DARK_CYAN, 5, "the menu bar")
        self.desktop.screenshot(os.path.join(self.artefacts, "with-the-bar.png"))
        # Not a pixel of the frame moved: the bar took its row from inside.
        self.assertEqual(self.desktop.frame(main), frame)
        self.assertEqual(self.desktop.geometry(main), client)
        # The bar is the row kept below the designed area, which now starts
        # under it and reaches the bottom.
        bar = player.menu_bar_height(main)
        self.assertGreater(bar, 10)
        self.assertEqual(client[3], designed_height + bar)
        cyan = runs(column_now(), lambda r: r[0] == DARK_CYAN)
        self.assertEqual(cyan, [(bar, designed_height)])

    def test_the_blank_item_is_a_narrow_line_that_still_clicks(self):
        g = self.new_game()
        player = self.player(g)
        main = player.to_opening_question()
        player.start_game(main)
        pid = g.proc.pid

        self.desktop.key(main, "alt+h")
        left, top, width, height = wait_until(lambda: self.desktop.popup_menus(pid), 5, "the ﾍﾙﾌﾟ menu")[0]
        # Opened from the keyboard, the first item is lit: ﾋﾝﾄの表示. Down lights
        # the blank line, Down again ﾊﾞｰｼﾞｮﾝ情報 (降参 is hidden yet, the
        # separator is passed over).
        lit = []
        for keys in ((), ("Down",), ("Down",)):
            if keys:
                self.desktop.key_to_focus(*keys)
                time.sleep(0.3)
            rows = self.desktop.grab((left + 3, top, 1, height))
            lit.append(rows)
            self.desktop.screenshot(os.path.join(self.artefacts, f"help-menu-{len(lit)}.png"))
        # An item's rows are those lit in its picture alone: the menu's own
        # white, frame and separator are the same in all three.
        highlight = [runs(range(height), lambda i, k=k: all(lit[k][i] != lit[j][i] for j in range(3) if j != k))
                     for k in range(3)]
        hint, blank, version = (h[0] if len(h) == 1 else h for h in highlight)
        for name, run in (("ﾋﾝﾄの表示", hint), ("the blank item", blank), ("ﾊﾞｰｼﾞｮﾝ情報", version)):
            self.assertIsInstance(run, tuple, f"{name}: lit rows {run}")
        seen = f"lit rows (first, count): ﾋﾝﾄの表示 {hint}, blank {blank}, ﾊﾞｰｼﾞｮﾝ情報 {version}"
        self.assertEqual(hint[1], version[1], seen)
        # Right below ﾋﾝﾄの表示, and a narrow line, not a row like its neighbours.
        self.assertEqual(blank[0], hint[0] + hint[1], seen)
        self.assertGreaterEqual(blank[1], 1, seen)
        self.assertLessEqual(blank[1] * 3, hint[1], seen)

        # The keys reach it: back up to it and Enter.
        self.desktop.key_to_focus("Up", "Return")
        g.answer("くふふ")
        # And so does the mouse, on the line's middle: the menu drops down
        # where it did before.
        self.desktop.key(main, "alt+h")
        time.sleep(0.5)
        middle = (left + width // 2, top + blank[0] + blank[1] // 2)
        self.desktop.run(["xdotool", "mousemove", "--sync", str(middle[0]), str(middle[1])])
        self.desktop.run(["xdotool", "click", "1"])
        g.answer("くふふ")


class TwoMonitorsTest(WindowTestCase):
    def test_the_windows_of_the_game_come_on_the_primary_monitor(self):
        # Two monitors side by side, the right one primary: a window centred
        # on the whole screen would straddle them, one placed as if the
        # primary began at 0, 0 would be on the left one.
        desktop = self.another_desktop(size=(2560, 1024), monitors=[(0, 0, 1280, 1024), (1280, 0, 1280, 1024)],
                                       primary=1)
        primary_centre = (1280 + 640, 512)
        g = self.new_game(desktop=desktop)
        player = self.player(g)
        title = player.start()
        placed = {"the title window": desktop.frame(title)}
        box = desktop.wait_window(WELCOME_BOX, pid=g.proc.pid)
        placed["the welcome box"] = desktop.frame(box)
        desktop.screenshot(os.path.join(self.artefacts, "welcome-box.png"))
        desktop.key(box, "Return")
        main = desktop.wait_window("もちたま", pid=g.proc.pid)
        placed["the main window"] = desktop.frame(main)
        desktop.screenshot(os.path.join(self.artefacts, "main-window.png"))
        for what, rect in placed.items():
            with self.subTest(what):
                got = centre(rect)
                self.assertLessEqual(abs(got[0] - primary_centre[0]), 2, f"{what} at {rect}")
                self.assertLessEqual(abs(got[1] - primary_centre[1]), 2, f"{what} at {rect}")


if __name__ == "__main__":
    unittest.main()

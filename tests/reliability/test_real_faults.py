"""Faults around the record file, and many copies at once, with the built program
in real windows (Xvfb + openbox), driven from outside as a person would.

As root, the tests that depend on file permissions run the program as the
unprivileged user `nobody`: root may write to any file whatever its mode.
"""
import os
import signal
import stat
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.game import DEFAULT_INI, Unprivileged, UnprivilegedGame  # noqa: E402
from harness.player import SECOND_COPY_BOX, TITLE_WINDOW, WELCOME_BOX  # noqa: E402
from harness.testcase import WindowTestCase  # noqa: E402
from harness.waiting import wait_until  # noqa: E402

FOUND_INI = DEFAULT_INI.replace(b"Kaisu = 0\r\n\r\n[Tyutai]", b"Kaisu = 4\r\n\r\n[Tyutai]").replace(
    b"1st = 9999", b"1st = 83.5")

MISSING_BOX = ".INI Don't Exist"
WRITE_ERROR_BOX = ".INI Write Error"
# A copy may be slow to show its title window beside many others, or as
# another user.
TITLE_TIMEOUT = 20
# Copies started at once on one program directory.
COPIES = 50


class RealFaultsTest(WindowTestCase):
    default_artefacts = "reliability-artefacts"

    def setUp(self):
        super().setUp()
        self.user = Unprivileged()

    # ---- steps
    def new_unprivileged_game(self, **kwargs):
        return self.new_game(UnprivilegedGame, user=self.user, home=self.remove_at_end(self.user.directory()),
                             **kwargs)

    def to_opening_question(self, g):
        return self.player(g).to_opening_question(timeout=TITLE_TIMEOUT)

    def files_in(self, directory):
        return sorted(os.listdir(directory))

    # ---- tests
    def test_record_file_deleted_before_the_quit_is_saved(self):
        g = self.new_game(ini=FOUND_INI)
        main = self.to_opening_question(g)
        os.remove(g.ini_path)
        self.player(g).answer_yes(main)
        g.answer(MISSING_BOX)
        # The quit could not be saved: a launcher is told so.
        self.assertEqual(g.wait_exit(), 1)
        # Not recreated, and nothing else left behind.
        self.assertEqual(self.files_in(g.dir), ["mochitama", "program-output.txt"])

    def test_read_only_record_file_at_the_quit(self):
        g = self.new_unprivileged_game(directory=self.user.directory(0o755), ini=FOUND_INI)
        self.user.own(g.ini_path, 0o444)
        main = self.to_opening_question(g)
        self.assertEqual(g.uid(), self.user.uid)
        self.player(g).answer_yes(main)
        g.answer(WRITE_ERROR_BOX)
        # The quit goes on to its end.
        self.assertEqual(g.wait_exit(), 0)
        self.assertEqual(g.ini(), FOUND_INI)
        self.assertEqual(stat.S_IMODE(os.stat(g.ini_path).st_mode), 0o444)
        self.assertEqual(self.files_in(g.dir), ["MT.INI", "mochitama", "program-output.txt"])

    def test_read_only_program_directory_on_the_first_start(self):
        g = self.new_unprivileged_game(directory=self.user.program_directory())
        open(g.log_path, "ab").close()
        # The program's directory belongs to root (or, without root, to the
        # tester): in either case the player may not write there.
        os.chmod(g.dir, 0o555)
        g.start()
        g.answer(".INI Moved", timeout=TITLE_TIMEOUT)
        g.answer(WELCOME_BOX)
        main = self.desktop.wait_window("もちたま", pid=g.proc.pid)
        self.assertEqual(g.uid(), self.user.uid)
        kept = os.path.join(g.env["XDG_DATA_HOME"], "mochitama", "MT.INI")
        with open(kept, "rb") as f:
            self.assertEqual(f.read(), DEFAULT_INI)
        self.player(g).answer_yes(main)
        self.assertEqual(g.wait_exit(), 0)
        with open(kept, "rb") as f:
            self.assertEqual(f.read(), DEFAULT_INI.replace(b"[Tyutai]\r\nKaisu = 0", b"[Tyutai]\r\nKaisu=1"))
        self.assertEqual(self.files_in(g.dir), ["mochitama", "program-output.txt"])

    def test_a_second_copy_refused_when_the_runtime_directory_is_not_the_players(self):
        # As after `su` with the environment kept: XDG_RUNTIME_DIR names a
        # directory the player may not write. The lock goes elsewhere, and the
        # second copy is still refused.
        foreign = self.remove_at_end(self.user.program_directory())
        os.chmod(foreign, 0o555)
        first = self.new_unprivileged_game(directory=self.user.directory(0o755))
        second = self.new_unprivileged_game(directory=first.dir)
        for g in (first, second):
            g.env["XDG_RUNTIME_DIR"] = foreign
        main = self.to_opening_question(first)
        self.assertEqual(first.uid(), self.user.uid)
        second.start()
        second.answer(SECOND_COPY_BOX, timeout=TITLE_TIMEOUT)
        self.assertEqual(second.wait_exit(), 1)
        # The first plays on, and its quit is saved.
        self.assertIsNone(first.proc.poll())
        self.player(first).answer_yes(main)
        self.assertEqual(first.wait_exit(), 0)
        self.assertEqual(first.ini(), DEFAULT_INI.replace(b"[Tyutai]\r\nKaisu = 0", b"[Tyutai]\r\nKaisu=1"))

    def test_fifty_copies_started_at_once(self):
        first = self.new_game()
        copies = [first] + [self.new_game(directory=first.dir) for _ in range(COPIES - 1)]
        for g in copies:
            g.start()
        # A running copy may already be past its title window when we look.
        running_windows = {TITLE_WINDOW, WELCOME_BOX, "もちたま"}

        def settled():
            shown = {}
            for _, pid, title in self.desktop.client_windows():
                if title in running_windows or title == SECOND_COPY_BOX:
                    shown.setdefault(pid, set()).add(title)
            return shown if all(g.proc.pid in shown for g in copies) else None

        # Fifty programs starting on two busy cores take their time.
        shown = wait_until(settled, 300, "every copy to show its first window", interval=1)
        running = [g for g in copies if shown[g.proc.pid] & running_windows]
        refused = [g for g in copies if shown[g.proc.pid] == {SECOND_COPY_BOX}]
        self.assertEqual(len(running), 1, shown)
        self.assertEqual(len(refused), COPIES - 1, shown)
        runner = running[0]

        for g in refused:
            g.answer_own(SECOND_COPY_BOX, timeout=60)
            self.assertEqual(g.wait_exit(60), 1)
        # The running copy goes on to the opening question.
        runner.answer(WELCOME_BOX, timeout=60)
        self.desktop.wait_window("もちたま", timeout=60, pid=runner.proc.pid)
        self.assertIsNone(runner.proc.poll())
        # Exactly one copy wrote the new record file, and nothing else is left.
        self.assertEqual(runner.ini(), DEFAULT_INI)
        self.assertEqual(self.files_in(first.dir), ["MT.INI", "mochitama", "program-output.txt"])

        runner.proc.send_signal(signal.SIGKILL)
        self.assertEqual(runner.wait_exit(), -signal.SIGKILL)
        after = self.new_game(directory=first.dir)
        self.player(after).start(timeout=TITLE_TIMEOUT)
        self.assertEqual(self.desktop.windows(SECOND_COPY_BOX), [])
        self.assertEqual(after.ini(), DEFAULT_INI)

if __name__ == "__main__":
    unittest.main()

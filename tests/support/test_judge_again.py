"""judge_again.py around made-up tests: each run of the fake test prints the
next of its planned outputs (the last one again when they run out) and
exits with its status."""
import os
import subprocess
import sys
import tempfile
import unittest

JUDGE_AGAIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "judge_again.py")
FAKE_TEST = """
import pathlib, sys
runs = pathlib.Path(sys.argv[1])
n = int(runs.read_text()) if runs.exists() else 0
runs.write_text(str(n + 1))
output, status = sys.argv[2 + min(n, len(sys.argv) - 3)].rsplit("|", 1)
print(output)
sys.exit(int(status))
"""
BUSY_UNITTEST = ("test_a_run (test_real_window.RealWindowTest.test_a_run) ... MachineTooBusyToJudge: the sleep: "
                 "3400 ms, expected 3000, the machine's lag 120 ms\nERROR\n"
                 "harness.beats.MachineTooBusyToJudge: the sleep: 3400 ms\nFAILED (errors=1)|1")
BUSY_NODE = ("# MachineTooBusyToJudge: a results screen: 3300 ms\nnot ok 1 - a run\n"
             "  name: 'MachineTooBusyToJudge'\n# pass 2\n# fail 1\n# cancelled 0|1")
BUSY_AND_BROKEN = "MachineTooBusyToJudge: the sleep: 3400 ms\nFAILED (failures=1, errors=1)|1"
PASSED = "OK|0"


class JudgeAgainTest(unittest.TestCase):
    def judge_again(self, *outputs):
        """Runs the fake test through judge_again.py: (status, output, runs)."""
        with tempfile.TemporaryDirectory() as directory:
            runs = os.path.join(directory, "runs")
            done = subprocess.run([sys.executable, JUDGE_AGAIN, "--", sys.executable, "-c", FAKE_TEST, runs, *outputs],
                                  capture_output=True, text=True, timeout=60)
            with open(runs, encoding="utf-8") as f:
                return done.returncode, done.stdout + done.stderr, int(f.read())

    def test_too_busy_once_runs_the_test_once_more_and_says_why(self):
        for busy in (BUSY_UNITTEST, BUSY_NODE):
            with self.subTest(busy.splitlines()[0]):
                status, output, runs = self.judge_again(busy, PASSED)
                self.assertEqual((status, runs), (0, 2), output)
                said = [line for line in output.splitlines() if line.startswith("the machine was too busy")]
                self.assertEqual(len(said), 1, output)
                self.assertIn("ms; running the test once more", said[0])

    def test_too_busy_twice_fails_saying_so(self):
        status, output, runs = self.judge_again(BUSY_UNITTEST)
        self.assertEqual((status, runs), (1, 2), output)
        self.assertIn("the machine was too busy to judge a beat again: the sleep: 3400 ms", output)

    def test_anything_else_passes_straight_through(self):
        for outputs, expected_status in (((BUSY_AND_BROKEN, PASSED), 1), (("FAILED (failures=1)|3", PASSED), 3),
                                         ((PASSED,), 0)):
            with self.subTest(outputs[0]):
                status, output, runs = self.judge_again(*outputs)
                self.assertEqual((status, runs), (expected_status, 1), output)
                self.assertNotIn("the machine was too busy", output)
                self.assertIn(outputs[0].rsplit("|", 1)[0], output)


if __name__ == "__main__":
    unittest.main()

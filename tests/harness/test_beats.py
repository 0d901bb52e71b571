"""The beats' judge (harness/beats.py) and the machine's lag it is given
(Timeline.lag), on made-up timings. tests/web/support/beats.test.mjs checks
the browser tests' judge alike."""
import contextlib
import io
import json
import os
import tempfile
import unittest

from harness.beats import ALLOWANCE, BEATS, MachineTooBusyToJudge, assert_lasts
from harness.timeline import Timeline

SLEEP = BEATS["the sleep"]
EARLY, LATE, TOO_BUSY_LAG = ALLOWANCE["early"], ALLOWANCE["late"], ALLOWANCE["too_busy_lag"]


class Lagging:
    """A timeline whose machine lagged by `ms` over every span."""

    def __init__(self, ms):
        self.ms = ms

    def lag(self, start, end):
        return self.ms


def judged(duration, lag):
    """assert_lasts on a sleep of `duration` ms; returns what it printed."""
    printed = io.StringIO()
    with contextlib.redirect_stderr(printed):
        assert_lasts(Lagging(lag), 1000, 1000 + duration, "the sleep")
    return printed.getvalue()


class JudgeTest(unittest.TestCase):
    def test_within_the_allowance_passes_quietly_however_busy(self):
        self.assertEqual(judged(SLEEP - EARLY, 0), "")
        self.assertEqual(judged(SLEEP + LATE, TOO_BUSY_LAG * 3), "")

    def test_the_lag_widens_the_allowance_both_ways_and_says_so(self):
        lag = TOO_BUSY_LAG - 1
        self.assertRegex(judged(SLEEP + LATE + lag, lag),
                         f"^judged with the machine's lag: the sleep: {SLEEP + LATE + lag} ms, expected {SLEEP} "
                         f".*lag {lag} ms\n$")
        self.assertIn("judged with the machine's lag", judged(SLEEP - EARLY - 10, 10))

    def test_past_the_widened_allowance_fails_with_the_numbers(self):
        with self.assertRaisesRegex(AssertionError, f"the sleep: {SLEEP + LATE + 11} ms, .*lag 10 ms"):
            judged(SLEEP + LATE + 11, 10)
        with self.assertRaises(AssertionError):
            judged(SLEEP - EARLY - 11, 10)

    def test_a_lag_from_the_threshold_on_is_too_busy_to_judge(self):
        printed = io.StringIO()
        with contextlib.redirect_stderr(printed), self.assertRaises(MachineTooBusyToJudge) as raised:
            assert_lasts(Lagging(TOO_BUSY_LAG), 1000, 1000 + SLEEP + LATE + 1, "the sleep")
        self.assertNotIsInstance(raised.exception, AssertionError)
        self.assertIn(f"lag {TOO_BUSY_LAG} ms", str(raised.exception))
        self.assertTrue(printed.getvalue().startswith("MachineTooBusyToJudge: the sleep: "), printed.getvalue())


class LagTest(unittest.TestCase):
    def test_the_worst_stall_that_overlaps_the_span_or_its_margins(self):
        margin = ALLOWANCE["lag_margin"]
        records = [{"t": 1000, "lag": 30}, {"t": 1500, "lag": 5},
                   {"t": 1600, "window": 7, "pid": 1, "shown": True, "title": "w", "rect": [0, 0, 1, 1],
                    "outer": [0, 0, 1, 1]},
                   {"t": 2200, "lag": 80}]  # the timer waited from 2120 to 2200
        with tempfile.TemporaryDirectory() as directory:
            with open(os.path.join(directory, "timeline.jsonl"), "w", encoding="utf-8") as f:
                f.writelines(json.dumps(r) + "\n" for r in records)
            tl = Timeline(directory, end=3000)
        self.assertEqual([h.window for h in tl.windows()], [7])
        self.assertEqual(tl.lag(1000 + margin + 1, 2120 - margin - 1), 5)
        self.assertEqual(tl.lag(1000 + margin, 2000), 30)
        self.assertEqual(tl.lag(1100, 2120 - margin), 80)
        self.assertEqual(tl.lag(2300, 2900), 0)


if __name__ == "__main__":
    unittest.main()

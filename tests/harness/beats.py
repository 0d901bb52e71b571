"""How long each beat of the game lasts and how a measured beat is judged,
from tests/beats.json, which the browser tests read too
(tests/web/support/beats.mjs judges alike).

A beat passes within its allowance (`early` ms short, `late` ms long). Past
it, the machine's lag over the same span (the recorder's reference timer,
Timeline.lag) decides: below `too_busy_lag` ms the allowance widens by the
lag on both sides, and a beat that passes only so says so on stderr; from
`too_busy_lag` on the machine was too busy to judge the beat at all
(MachineTooBusyToJudge, which tests/support/judge_again.py answers by
running the test once more).
"""
import json
import os
import sys

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "beats.json"), encoding="utf-8") as f:
    _BEATS_FILE = json.load(f)
ALLOWANCE = _BEATS_FILE["allowance_ms"]
BEATS = _BEATS_FILE["beats_ms"]

# What the line about a machine too busy to judge begins with: judge_again.py
# looks for it.
TOO_BUSY = "MachineTooBusyToJudge"


class MachineTooBusyToJudge(Exception):
    """The machine lagged so far behind over a beat that its length says nothing about the game."""


def judge(duration, expected, lag):
    """'within' the allowance, 'widened' (within it widened by the lag),
    'too busy' to judge, or 'outside'."""
    shortest, longest = expected - ALLOWANCE["early"], expected + ALLOWANCE["late"]
    if shortest <= duration <= longest:
        return "within"
    if lag >= ALLOWANCE["too_busy_lag"]:
        return "too busy"
    return "widened" if shortest - lag <= duration <= longest + lag else "outside"


def assert_lasts(timeline, start, end, beat, what=None):
    """Checks that the span from start to end (ms) lasted the beat of this
    name; `what` tells this one apart in messages."""
    if beat not in BEATS:
        raise KeyError(f"no beat {beat!r} in tests/beats.json")
    expected = BEATS[beat]
    duration, lag = end - start, timeline.lag(start, end)
    verdict = judge(duration, expected, lag)
    message = (f"{what or beat}: {duration:.0f} ms, expected {expected} "
               f"(-{ALLOWANCE['early']}/+{ALLOWANCE['late']}), the machine's lag {lag:.0f} ms")
    if verdict == "widened":
        print(f"judged with the machine's lag: {message}", file=sys.stderr, flush=True)
    elif verdict == "too busy":
        message += f", too busy from {ALLOWANCE['too_busy_lag']} ms"
        print(f"{TOO_BUSY}: {message}", file=sys.stderr, flush=True)
        raise MachineTooBusyToJudge(message)
    elif verdict == "outside":
        raise AssertionError(message)

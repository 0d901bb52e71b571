#!/usr/bin/env python3
"""Runs a test that times beats, and once more when the machine was too busy
to judge one.

    judge_again.py -- COMMAND [ARG...]

The test's output passes through as it comes, and its exit status is this
one's. A run that failed only because the machine was too busy (each of its
failed tests said MachineTooBusyToJudge, see tests/harness/beats.py and
tests/web/support/beats.mjs, and nothing else failed) is run once more, in one
line's notice; when the machine is too busy again, the test fails saying so.
"""
import re
import subprocess
import sys
import threading

# As the harness prints it: unittest -v may have begun the line with the
# test's name, node's test runner passes stderr on as "# " comments. Not the
# exception's own line in a traceback (harness.beats.MachineTooBusyToJudge: …).
TOO_BUSY = re.compile(r"(?:^|\s)MachineTooBusyToJudge: (.*)$")
# How many tests failed, as unittest and node's test runner sum up a run.
UNITTEST_FAILED = re.compile(r"^FAILED \((.*)\)$")
UNITTEST_COUNTED = ("failures", "errors", "unexpected successes")
NODE_FAILED = re.compile(r"^# (?:fail|cancelled) (\d+)$")


def run(command):
    """Runs the command, passing its output on line by line; returns its exit
    status (128 + the signal when killed) and its lines."""
    proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors="replace")
    lines = []

    def pass_on(source, sink):
        for line in source:
            sink.write(line)
            sink.flush()
            lines.append(line.rstrip("\n"))

    pumps = [threading.Thread(target=pass_on, args=pair) for pair in ((proc.stdout, sys.stdout),
                                                                       (proc.stderr, sys.stderr))]
    for pump in pumps:
        pump.start()
    for pump in pumps:
        pump.join()
    status = proc.wait()
    return (status if status >= 0 else 128 - status), lines


def failed_tests(lines):
    """The number of failed tests from the run's summary; None without one."""
    count = None
    for line in lines:
        if m := UNITTEST_FAILED.match(line):
            parts = dict(part.split("=") for part in m.group(1).split(", "))
            count = sum(int(parts.get(key, 0)) for key in UNITTEST_COUNTED)
        elif m := NODE_FAILED.match(line):
            count = (count or 0) + int(m.group(1))
    return count


def too_busy_only(status, lines):
    """What the harness said when the run failed for no other reason than a
    machine too busy to judge; else None."""
    said = [m.group(1) for m in map(TOO_BUSY.search, lines) if m]
    if status != 0 and said and failed_tests(lines) == len(said):
        return "; ".join(said)
    return None


def main(argv):
    if len(argv) < 2 or argv[0] != "--":
        print("usage: judge_again.py -- COMMAND [ARG...]", file=sys.stderr)
        return 2
    command = argv[1:]
    status, lines = run(command)
    why = too_busy_only(status, lines)
    if why is None:
        return status
    print(f"the machine was too busy to judge a beat: {why}; running the test once more", file=sys.stderr, flush=True)
    status, lines = run(command)
    why = too_busy_only(status, lines)
    if why is not None:
        print(f"the machine was too busy to judge a beat again: {why}; the test fails unjudged", file=sys.stderr,
              flush=True)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

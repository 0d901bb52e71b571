"""Waiting for something that can only be seen from outside: wait_until and its Timeout."""
import time


class Timeout(AssertionError):
    pass


def wait_until(predicate, timeout, what, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout(f"gave up waiting for {what} after {timeout:.1f} s")
        time.sleep(interval)

"""The one harness for running the built program on a throwaway display and
playing it from outside, as a person would: used by the window, reliability
and install tests, the benchmark and tools/screenshots.py.

Import it with `tests/` on sys.path, e.g. `from harness.desktop import Desktop`.
"""

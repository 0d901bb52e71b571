"""What the player saw, over time: the screen timeline recorded from outside
the program (tests/support/screen/screen_timeline.cpp), read back.

A recording is a list of states per window: whether the window was shown,
its title and place, and (when they changed) the pixels the screen showed
over its client area, each with the time it was seen (milliseconds on the
clock of time.monotonic()). A beat is then checked as "from this moment, for
so many milliseconds, this window showed that":

    with ScreenRecorder(desktop, directory) as recorder:
        ... play ...
    tl = recorder.timeline()
    main = tl.window("もちたま", pid=game.proc.pid)
    spans = main.spans(lambda s: s.shown and s.count(BLUE) > 1000)

Beside the windows it holds the recorder's reference timer: how late each
of its 10-ms wake-ups came, when more than a millisecond (lag()).
"""
import array
import json
import os
import subprocess
import time

from harness.beats import ALLOWANCE

RECORDER = os.environ.get("MOCHITAMA_SCREEN_TIMELINE", "build/tests/mochitama-screen-timeline")


def rgb(value):
    """0xRRGGBB as the recorder stores a pixel (B, G, R, unused: 0x00RRGGBB little-endian)."""
    return value & 0xFFFFFF


class Frame:
    """The pixels of one client area at one moment, loaded when first asked for."""

    def __init__(self, path, width, height):
        self.path, self.width, self.height = path, width, height
        self._pixels = None

    @property
    def pixels(self):
        if self._pixels is None:
            data = array.array("I")
            with open(self.path, "rb") as f:
                data.frombytes(f.read())
            # The unused byte is not always zero: keep the colour only.
            self._pixels = array.array("I", (p & 0xFFFFFF for p in data))
        return self._pixels

    def rows(self, rect=None):
        x, y, w, h = rect or (0, 0, self.width, self.height)
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + w), min(self.height, y + h)
        for row in range(y0, y1):
            start = row * self.width
            yield self.pixels[start + x0:start + x1]

    def count(self, colour, rect=None):
        """Pixels of exactly this colour (0xRRGGBB), in rect (x, y, w, h) or everywhere."""
        return sum(r.count(colour) for r in self.rows(rect))

    def same_as(self, other, rect=None):
        return list(self.rows(rect)) == list(other.rows(rect))


class State:
    """One window as it was from `t` until the next state (`until`)."""

    def __init__(self, record, frame, until=None):
        self.t = record["t"]
        self.until = until
        self.shown = record["shown"]
        self.title = record["title"]
        self.rect = tuple(record["rect"])
        self.outer = tuple(record["outer"])
        self.frame = frame

    @property
    def duration(self):
        return None if self.until is None else self.until - self.t

    def count(self, colour, rect=None):
        return self.frame.count(colour, rect) if self.shown and self.frame else 0

    def __repr__(self):
        return f"<{self.t:.1f}+{self.duration or 0:.1f} ms shown={self.shown} {self.title!r}>"


class Span:
    """A stretch of time in which something held: [start, end) in ms."""

    def __init__(self, start, end, states):
        self.start, self.end, self.states = start, end, states

    @property
    def duration(self):
        return self.end - self.start

    def __repr__(self):
        return f"<span {self.start:.1f}–{self.end:.1f} ({self.duration:.1f} ms)>"


class WindowHistory:
    def __init__(self, window, pid, states):
        self.window, self.pid, self.states = window, pid, states

    @property
    def titles(self):
        return [s.title for s in self.states]

    def spans(self, holds, after=None, before=None):
        """The stretches of time in which holds(state) was true, in order."""
        found, current = [], None
        for s in self.states:
            if (after is not None and s.until is not None and s.until <= after) or \
                    (before is not None and s.t >= before):
                continue
            if holds(s):
                if current is None:
                    current = Span(s.t, s.until, [s])
                else:
                    current.end = s.until
                    current.states.append(s)
            elif current is not None:
                found.append(current)
                current = None
        if current is not None:
            found.append(current)
        return found

    def first(self, holds, after=None):
        """The first state from `after` on for which holds(state) is true."""
        for s in self.states:
            if (after is None or s.t >= after) and holds(s):
                return s
        return None

    def shown_spans(self):
        return self.spans(lambda s: s.shown)


class Timeline:
    def __init__(self, directory, end=None):
        self.directory = directory
        records = []
        with open(os.path.join(directory, "timeline.jsonl"), encoding="utf-8") as f:
            for line in f:
                if line.strip():
                    records.append(json.loads(line))
        self.end = end if end is not None else (records[-1]["t"] if records else 0)
        # (when the timer woke, how late), in ms.
        self.lags = [(r["t"], r["lag"]) for r in records if "lag" in r]
        # pid: when its last window stopped existing, in ms.
        self.destroyed = {}
        for r in records:
            if "destroyed" in r:
                self.destroyed[r["pid"]] = max(self.destroyed.get(r["pid"], r["t"]), r["t"])
        by_window = {}
        for r in records:
            if "window" in r:
                by_window.setdefault(r["window"], []).append(r)
        self.histories = {}
        for window, rs in by_window.items():
            states, frame = [], None
            for i, r in enumerate(rs):
                if "frame" in r:
                    frame = Frame(os.path.join(directory, r["frame"]), r["rect"][2], r["rect"][3])
                until = rs[i + 1]["t"] if i + 1 < len(rs) else self.end
                states.append(State(r, frame, until))
            self.histories[window] = WindowHistory(window, rs[0]["pid"], states)

    def lag(self, start, end):
        """How far behind the machine ran while [start, end] was timed: the
        latest wake-up of the reference timer whose wait overlapped the span
        or its margins, in ms; 0 when none was more than 1 ms late."""
        margin = ALLOWANCE["lag_margin"]
        return max((late for woke, late in self.lags if woke >= start - margin and woke - late <= end + margin),
                   default=0.0)

    def windows(self, pid=None):
        return [h for h in self.histories.values() if pid is None or h.pid == pid]

    def ended(self, pid):
        """When the program's last window stopped existing, as the X server
        told it: at its end at the latest, as its connection closed."""
        if pid not in self.destroyed:
            raise AssertionError(f"no window of program {pid} was destroyed in the timeline")
        return self.destroyed[pid]

    def window(self, title, pid=None):
        """The window that once had this title (the first one, when several did)."""
        for h in sorted(self.windows(pid), key=lambda h: h.states[0].t):
            if title in h.titles:
                return h
        raise AssertionError(f"no window titled {title!r} in the timeline")

    def boxes(self, title, pid=None):
        """Every shown span of every window with this title: message boxes
        come and go as windows of their own."""
        found = []
        for h in self.windows(pid):
            found += h.spans(lambda s: s.shown and s.title == title)
        return sorted(found, key=lambda s: s.start)

    def nothing_shown(self, pid):
        """The stretches of time in which no window of the program was shown."""
        events = sorted({s.t for h in self.windows(pid) for s in h.states})
        gaps, start = [], None
        for t in events:
            shown = any(s.shown and s.t <= t < (s.until or self.end) for h in self.windows(pid) for s in h.states)
            if not shown and start is None:
                start = t
            elif shown and start is not None:
                gaps.append(Span(start, t, []))
                start = None
        return gaps


class ScreenRecorder:
    """Runs the recorder on a desktop while the block runs."""

    def __init__(self, desktop, directory):
        self.desktop, self.directory = desktop, directory
        self.proc = None
        self.stopped_at = None

    def __enter__(self):
        self.proc = subprocess.Popen([RECORDER, self.directory], env=self.desktop.env, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True)
        ready = self.proc.stdout.readline().strip()
        if ready != "ready":
            raise RuntimeError(f"the screen recorder did not start: {self.proc.stderr.read()}")
        return self

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.stopped_at = time.monotonic() * 1000
            self.proc.terminate()
            self.proc.wait(10)
        if self.proc:
            self.proc.stdout.close()
            self.proc.stderr.close()

    def __exit__(self, *exc):
        self.stop()
        return False

    def timeline(self):
        self.stop()
        return Timeline(self.directory, end=self.stopped_at)

    def wait_for_the_end_of(self, pid, timeout=10):
        """Waits until the recorder has seen the program's windows destroyed,
        which its end brings (Timeline.ended)."""
        line = f'"pid": {pid}}}'

        def seen():
            with open(os.path.join(self.directory, "timeline.jsonl"), encoding="utf-8") as f:
                return any('"destroyed"' in r and r.rstrip().endswith(line) for r in f)
        deadline = time.monotonic() + timeout
        while not seen():
            if time.monotonic() > deadline:
                raise AssertionError(f"the recorder never saw the windows of program {pid} destroyed")
            time.sleep(0.05)

#!/usr/bin/env python3
"""Benchmarks of もちたま against a bare Qt Widgets program, run side by side.

What a player feels: how fast the game starts, whether its timings are right,
and whether it leaves the machine alone while it waits. Each measure runs the
game and the reference program (bench/reference.cpp) in the same run,
interleaved, for several rounds, and reports medians with min and max.

    cmake --preset default -B build-bench -DMOCHITAMA_BENCH=ON
    cmake --build build-bench
    python3 bench/run_bench.py --build-dir build-bench [--rounds 5] [--only paint,run]

or `ctest --test-dir build-bench -L bench` (the test exists only in a build
configured with -DMOCHITAMA_BENCH=ON; a build directory of its own keeps it
out of the ordinary test runs). docs/PERFORMANCE.md explains each method; the
measures run on an Xvfb display of their own with openbox, as the
real-window tests do.
"""
import argparse
import json
import os
import platform
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests"))
from harness.desktop import Desktop  # noqa: E402
from harness.game import DEFAULT_INI, Game  # noqa: E402
from harness.player import Player  # noqa: E402
from harness.waiting import wait_until  # noqa: E402

SECTIONS = ("paint", "run", "timers", "headless", "suite")
TICKS = os.sysconf("SC_CLK_TCK")


# ---------------------------------------------------------------- numbers

def summary(values):
    values = [v for v in values if v is not None]
    if not values:
        return None
    return {"median": statistics.median(values), "min": min(values), "max": max(values), "n": len(values)}


def fmt(s, unit="", digits=1):
    if s is None:
        return "n/a"
    f = f"{{:.{digits}f}}"
    if s["min"] == s["max"]:
        return f"{f.format(s['median'])}{unit}"
    return f"{f.format(s['median'])}{unit} ({f.format(s['min'])}–{f.format(s['max'])})"


def machine():
    cpu = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        mem_kib = int(f.readline().split()[1])
    qt = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", "libqt6core6"], capture_output=True, text=True)
    gxx = subprocess.run(["g++", "-dumpfullversion"], capture_output=True, text=True)
    return {"cpu": cpu, "cores": os.cpu_count(), "memory_gib": round(mem_kib / 1024 / 1024, 1),
            "kernel": platform.release(), "qt": qt.stdout.strip() or "?", "gxx": gxx.stdout.strip() or "?"}


def cpu_times():
    with open("/proc/stat") as f:
        fields = [int(x) for x in f.readline().split()[1:]]
    return sum(fields), fields[3] + fields[4]  # all, idle + iowait


def busy_percent(before, after):
    total = after[0] - before[0]
    return 100.0 * (total - (after[1] - before[1])) / total if total else 0.0


def loadavg():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


# ---------------------------------------------------------------- a process from outside

class ProcessClock:
    """CPU time and wake-ups of every thread of a process, read from /proc."""

    def __init__(self, pid):
        self.pid = pid

    def read(self):
        ticks = 0
        runtime_ns = 0
        switches = 0
        threads = 0
        task_dir = f"/proc/{self.pid}/task"
        for tid in os.listdir(task_dir):
            try:
                with open(f"{task_dir}/{tid}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                ticks += int(fields[11]) + int(fields[12])  # utime, stime
                with open(f"{task_dir}/{tid}/schedstat") as f:
                    runtime_ns += int(f.read().split()[0])
                with open(f"{task_dir}/{tid}/status") as f:
                    for line in f:
                        if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                            switches += int(line.split()[1])
                threads += 1
            except FileNotFoundError:  # a thread that has just ended
                continue
        return {"ticks": ticks, "runtime_ns": runtime_ns, "switches": switches, "threads": threads}

    def idle(self, seconds):
        """What the process does in `seconds` while nobody touches it."""
        before = self.read()
        time.sleep(seconds)
        after = self.read()
        return {"cpu_ms": (after["ticks"] - before["ticks"]) * 1000 / TICKS,
                "run_ms": (after["runtime_ns"] - before["runtime_ns"]) / 1e6,
                "wakeups": after["switches"] - before["switches"],
                "threads": after["threads"]}


def peak_rss_mib(pid, timeout):
    """Waits for the child to end; its peak resident memory (ru_maxrss) in MiB."""
    deadline = time.monotonic() + timeout
    while True:
        done, status, usage = os.wait4(pid, os.WNOHANG)
        if done == pid:
            return usage.ru_maxrss / 1024, os.waitstatus_to_exitcode(status)
        if time.monotonic() > deadline:
            raise TimeoutError(f"process {pid} did not end within {timeout} s")
        time.sleep(0.05)


class MeasuredGame(Game):
    """The game, ended by the player; its peak memory read as it is reaped."""

    def start(self):
        self.started = time.monotonic()
        return super().start()

    def finish(self, timeout=40):
        rss, code = peak_rss_mib(self.proc.pid, timeout)
        self.proc.returncode = code
        return rss, code


# ---------------------------------------------------------------- the game, played from outside

def settle(seconds=0.5):
    # Whatever the last step set going (a box closing, a repaint, a short
    # timer) is over before the process is watched.
    time.sleep(seconds)


def play(desktop, game, idle_seconds, idle):
    """A complete game in normal mode, waiting idle at four places."""
    player = Player(desktop, game)
    main = player.to_opening_question()
    settle()
    idle("opening question", idle_seconds)

    player.answer_no(main)
    settle()
    idle("menus shown", idle_seconds)

    version = player.open_the_version_window(main)
    settle()
    idle("version dialog open", idle_seconds)
    player.close_the_version_window(version)

    player.refuse_close(main, 7)
    player.pray_and_take_the_next_step(main)
    player.solve_the_cipher(main)

    def while_the_button_runs(clicks):
        if clicks == 2:
            settle()
            idle("Exit-button chase", idle_seconds)
    player.chase_to_the_defeat(main, after_click=while_the_button_runs)
    player.finishing_click(main)
    player.leave_after_the_last_prompt(main, timeout=8)
    return game.finish(timeout=40)


# ---------------------------------------------------------------- the measures

class Bench:
    def __init__(self, args):
        self.args = args
        b = os.path.abspath(args.build_dir)
        self.game_bin = os.path.join(b, "mochitama")
        self.reference = os.path.join(b, "bench", "mochitama_reference")
        self.first_paint = os.path.join(b, "bench", "mochitama_first_paint")
        self.timer_bench = os.path.join(b, "bench", "mochitama_timer_bench")
        self.headless = os.path.join(b, "bench", "mochitama_headless_bench")
        self.build_dir = b
        for path in (self.game_bin, self.reference, self.first_paint, self.timer_bench, self.headless):
            if not os.access(path, os.X_OK):
                sys.exit(f"run_bench: {path} is missing; configure with -DMOCHITAMA_BENCH=ON and build first")
        self.results = {"machine": machine(), "load_before": loadavg(), "no_wm": args.no_wm}
        self.desktop = None

    def log(self, text):
        print(text, file=sys.stderr, flush=True)

    # ---- time from exec until the first window is drawn
    def paint(self):
        rounds = self.args.paint_rounds
        g = Game(self.desktop, self.game_bin, ini=DEFAULT_INI)
        d = g.dir
        programs = {"game": [g.binary], "reference": [self.reference, "labels"]}
        samples = {name: {"mapped": [], "drawn": [], "cpu": []} for name in programs}

        def once(name):
            out = subprocess.run([self.first_paint, "--timeout-ms", "10000", "--"] + programs[name],
                                 env=self.desktop.env, cwd=d, capture_output=True, text=True, timeout=30)
            line = out.stdout.strip().splitlines()[-1] if out.stdout.strip() else "{}"
            return json.loads(line)

        for name in programs:  # warm the caches; not counted
            once(name)
        for r in range(rounds):
            order = ["reference", "game"] if r % 2 == 0 else ["game", "reference"]
            for name in order:
                result = once(name)
                samples[name]["mapped"].append(result.get("mapped_ms"))
                samples[name]["drawn"].append(result.get("first_drawn_ms"))
                samples[name]["cpu"].append(result.get("cpu_ms"))
            self.log(f"paint round {r + 1}/{rounds}: reference {samples['reference']['drawn'][-1]:.1f} ms, "
                     f"game {samples['game']['drawn'][-1]:.1f} ms")
        shutil.rmtree(d, ignore_errors=True)
        self.results["paint"] = {name: {k: summary(v) for k, v in s.items()} | {"samples": s["drawn"]}
                                 for name, s in samples.items()}

    # ---- a complete scripted run: peak memory, and idling at four places
    def run(self):
        rounds = self.args.rounds
        seconds = self.args.idle_seconds
        game_idle, game_rss, ref_idle, ref_rss = {}, [], {}, []
        for r in range(rounds):
            for who in (("reference", "game") if r % 2 == 0 else ("game", "reference")):
                if who == "game":
                    rss = self.run_game(seconds, game_idle)
                    game_rss.append(rss)
                else:
                    rss = self.run_reference(seconds, ref_idle)
                    ref_rss.append(rss)
                self.log(f"run round {r + 1}/{rounds}: {who} peak {rss:.1f} MiB")
        self.results["memory"] = {"game": summary(game_rss) | {"samples": game_rss},
                                  "reference": summary(ref_rss) | {"samples": ref_rss}}
        self.results["idle"] = {
            "seconds": seconds,
            "game": {state: self.idle_summary(v) for state, v in game_idle.items()},
            "reference": {state: self.idle_summary(v) for state, v in ref_idle.items()},
        }

    @staticmethod
    def idle_summary(values):
        return {"from": summary([v["from"] for v in values]), "to": summary([v["to"] for v in values]),
                "cpu_ms": summary([v["cpu_ms"] for v in values]),
                "run_ms": summary([v["run_ms"] for v in values]),
                "wakeups": summary([v["wakeups"] for v in values]),
                "threads": max(v["threads"] for v in values)}

    def measure_idle(self, who, pid, state, started, seconds, idle_log):
        """What the process does in `seconds` of waiting, from now on."""
        since = time.monotonic() - started
        result = ProcessClock(pid).idle(seconds) | {"from": since, "to": since + seconds}
        idle_log.setdefault(state, []).append(result)
        self.log(f"  {who} idle at {state}: {result['cpu_ms']:.0f} ms CPU ({result['run_ms']:.3f} ms on CPU), "
                 f"{result['wakeups']} wake-ups")

    def run_game(self, seconds, idle_log):
        g = MeasuredGame(self.desktop, self.game_bin, ini=DEFAULT_INI)

        def idle(state, secs):
            self.measure_idle("game", g.proc.pid, state, g.started, secs, idle_log)
        try:
            rss, code = play(self.desktop, g, seconds, idle)
            if code != 0:
                raise RuntimeError(f"the game ended with {code}")
            return rss
        finally:
            g.kill()
            shutil.rmtree(g.dir, ignore_errors=True)

    def run_reference(self, seconds, idle_log):
        env = self.desktop.env

        def idle(pid, state, started):
            self.measure_idle("reference", pid, state, started, seconds, idle_log)

        started = time.monotonic()
        labels = subprocess.Popen([self.reference, "labels"], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            self.desktop.wait_window("reference labels", pid=labels.pid)
            time.sleep(0.5)
            idle(labels.pid, "four labels", started)
        finally:
            labels.kill()
            labels.wait()

        started = time.monotonic()
        menu = subprocess.Popen([self.reference, "menu"], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        try:
            main = self.desktop.wait_window("reference menu", pid=menu.pid)
            box = self.desktop.wait_window("reference box", pid=menu.pid)
            time.sleep(0.5)
            idle(menu.pid, "message box open", started)
            self.desktop.key(box, "Return")
            wait_until(lambda: not self.desktop.windows("reference box", pid=menu.pid), 5, "the box to close")
            time.sleep(0.5)
            idle(menu.pid, "menu bar shown", started)
            # Where the game's version-dialog wait falls in its run: Qt's
            # pixmap cache flushes once, 30 s after its first insertion.
            time.sleep(max(0.0, started + 25 - time.monotonic()))
            idle(menu.pid, "menu bar shown, 25 s after the start", started)
            self.desktop.key(main, "alt+f", "x")
            rss, code = peak_rss_mib(menu.pid, 10)
            menu.returncode = code
            return rss
        finally:
            if menu.returncode is None:
                menu.kill()
                menu.wait()

    # ---- the game's timers and pauses; the reference's QTimers
    def timers(self):
        out = subprocess.run([self.timer_bench, "--rounds", str(self.args.timer_rounds)], env=self.desktop.env,
                             capture_output=True, text=True, timeout=600)
        game = [json.loads(line) for line in out.stdout.splitlines() if line.startswith("{")]
        out = subprocess.run([self.reference, "timers"], env=self.desktop.env, capture_output=True, text=True,
                             timeout=600)
        ref = [json.loads(line) for line in out.stdout.splitlines() if line.startswith("{")]
        rows = []
        for who, entries in (("game", game), ("reference", ref)):
            for e in entries:
                if e["interval"] == 0:  # a cost, not a timer
                    rows.append({"who": who, "name": e["name"], "interval": 0, "error": summary(e["samples"]),
                                 "allowed": None, "samples": e["samples"], "met": None})
                    continue
                errors = [s - e["interval"] for s in e["samples"]]
                allowed = 0.003 * e["interval"] + 2
                rows.append({"who": who, "name": e["name"], "interval": e["interval"], "error": summary(errors),
                             "allowed": allowed, "samples": e["samples"],
                             "met": abs(statistics.median(errors)) <= allowed})
        self.results["timers"] = rows

    # ---- the headless backend and the fast suite
    def headless_run(self):
        runs = self.args.headless_runs
        results = {}
        for where, tmp in (("disk", tempfile.gettempdir()), ("tmpfs", "/dev/shm")):
            if not os.path.isdir(tmp):
                continue
            out = subprocess.run([self.headless, "--runs", str(runs)], env=dict(os.environ, TMPDIR=tmp),
                                 capture_output=True, text=True, timeout=600)
            line = [x for x in out.stdout.splitlines() if x.startswith("{")][-1]
            fs = subprocess.run(["findmnt", "-n", "-o", "FSTYPE", "-T", tmp], capture_output=True,
                                text=True).stdout.split()[-1]
            results[where] = json.loads(line) | {"dir": tmp, "fs": fs}
        self.results["headless"] = results

    def suite(self):
        taken = []
        for _ in range(self.args.rounds):
            start = time.monotonic()
            out = subprocess.run(["ctest", "--test-dir", self.build_dir, "-L", "fast", "-j", str(os.cpu_count())],
                                 capture_output=True, text=True, timeout=600)
            taken.append(time.monotonic() - start)
            tests = re.search(r"tests passed, (\d+) tests failed out of (\d+)", out.stdout)
            count = tests.group(2) if tests else "?"
        self.results["suite"] = summary(taken) | {"tests": count, "jobs": os.cpu_count()}

    # ---- all of it
    def go(self):
        only = self.args.only.split(",") if self.args.only else SECTIONS
        unknown = [s for s in only if s not in SECTIONS]
        if unknown:
            sys.exit(f"run_bench: no section {', '.join(unknown)}; choose from {', '.join(SECTIONS)}")
        if self.args.no_wm and "run" in only:
            sys.exit("run_bench: the scripted run needs the window manager; leave out --no-wm or 'run'")
        needs_display = any(s in only for s in ("paint", "run", "timers"))
        if needs_display:
            self.desktop = Desktop(window_manager=not self.args.no_wm)
        try:
            busy = {}
            for section in SECTIONS:
                if section in only:
                    self.log(f"-- {section}")
                    before = cpu_times()
                    {"paint": self.paint, "run": self.run, "timers": self.timers,
                     "headless": self.headless_run, "suite": self.suite}[section]()
                    busy[section] = busy_percent(before, cpu_times())
            self.results["busy_percent"] = busy
        finally:
            if self.desktop:
                self.desktop.close()
        self.results["load_after"] = loadavg()
        return self.results


# ---------------------------------------------------------------- the report

def verdict(ok):
    return "met" if ok else "**missed**"


def report(r):
    m = r["machine"]
    lines = [("Display: Xvfb alone, no window manager. " if r.get("no_wm") else "Display: Xvfb with openbox. ") +
             f"Machine: {m['cpu']}, {m['cores']} cores, {m['memory_gib']} GiB; Linux {m['kernel']}; "
             f"Qt {m['qt']}; g++ {m['gxx']}. Load average before {r['load_before']}, after {r['load_after']}.",
             "Both cores busy (everything on the machine, this run included) during: " +
             ", ".join(f"{k} {v:.0f} %" for k, v in r.get("busy_percent", {}).items()) + ".", ""]
    lines += ["| measure | game | bare Qt reference | game / reference | target | |", "|---|---|---|---|---|---|"]
    if "paint" in r:
        g, ref = r["paint"]["game"]["drawn"], r["paint"]["reference"]["drawn"]
        ratio = g["median"] / ref["median"]
        lines.append(f"| first window drawn after exec, ms (n={g['n']}) | {fmt(g)} | {fmt(ref)} | {ratio:.2f} | "
                     f"≤ 1.10 × | {verdict(ratio <= 1.10)} |")
        gm, rm = r["paint"]["game"]["mapped"], r["paint"]["reference"]["mapped"]
        lines.append(f"| … of which until mapped, ms | {fmt(gm)} | {fmt(rm)} | {gm['median'] / rm['median']:.2f} | | |")
        gc, rc = r["paint"]["game"]["cpu"], r["paint"]["reference"]["cpu"]
        lines.append(f"| CPU time used until then, ms | {fmt(gc)} | {fmt(rc)} | {gc['median'] / rc['median']:.2f} | | |")
    if "memory" in r:
        g, ref = r["memory"]["game"], r["memory"]["reference"]
        ratio = g["median"] / ref["median"]
        lines.append(f"| peak resident memory of a complete run, MiB (n={g['n']}) | {fmt(g)} | {fmt(ref)} | "
                     f"{ratio:.2f} | ≤ 1.15 × | {verdict(ratio <= 1.15)} |")
    if "headless" in r:
        for where, h in r["headless"].items():
            s = {"median": h["median_ms"], "min": h["min_ms"], "max": h["max_ms"]}
            lines.append(f"| complete headless run, ms (n={h['runs']}, records on {h['fs']} {h['dir']}; "
                         f"{h['cpu_median_ms']:.2f} ms of it on CPU) | {fmt(s, '', 2)} | | | < 10 ms | "
                         f"{verdict(h['median_ms'] < 10)} |")
    if "suite" in r:
        s = r["suite"]
        lines.append(f"| fast test suite (`ctest -L fast -j {s['jobs']}`, {s['tests']} tests), s (n={s['n']}) | "
                     f"{fmt(s, '', 2)} | | | < 60 s | {verdict(s['median'] < 60)} |")
    if "idle" in r:
        secs = r["idle"]["seconds"]
        lines += ["", f"| idle for {secs:g} s | seconds after the start | CPU time, ms (clock ticks) | on CPU, ms "
                  "(scheduler) | wake-ups | target 0 / 0 |", "|---|---|---|---|---|---|"]
        for who in ("game", "reference"):
            for state, v in r["idle"][who].items():
                ok = verdict(v["cpu_ms"]["max"] == 0 and v["wakeups"]["max"] == 0) if who == "game" else ""
                lines.append(f"| {who}: {state} | {v['from']['median']:.0f}–{v['to']['median']:.0f} | "
                             f"{fmt(v['cpu_ms'], '', 0)} | {fmt(v['run_ms'], '', 3)} | {fmt(v['wakeups'], '', 0)} | "
                             f"{ok} |")
    if "timers" in r:
        lines += ["", "| timer or pause | interval, ms | late by, ms: median (min–max) | allowed ±, ms | |",
                  "|---|---|---|---|---|"]
        for t in r["timers"]:
            name = t["name"] if t["who"] == "game" else f"reference: {t['name']}"
            if t["allowed"] is None:
                lines.append(f"| {name} (takes, ms) | | {fmt(t['error'], '', 2)} | | |")
                continue
            lines.append(f"| {name} | {t['interval']} | {fmt(t['error'], '', 2)} | {t['allowed']:.1f} | "
                         f"{verdict(t['met']) if t['who'] == 'game' else ''} |")
    return "\n".join(lines) + "\n"


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    p.add_argument("--rounds", type=int, default=3, help="complete runs of each program; fast-suite runs")
    p.add_argument("--paint-rounds", type=int, default=15, help="starts of each program for the first paint")
    p.add_argument("--timer-rounds", type=int, default=5, help="samples of each timer and pause")
    p.add_argument("--headless-runs", type=int, default=200)
    p.add_argument("--idle-seconds", type=float, default=10)
    p.add_argument("--only", help=f"comma-separated subset of {','.join(SECTIONS)}")
    p.add_argument("--no-wm", action="store_true", help="Xvfb without openbox (first paint and timers only)")
    p.add_argument("--json", help="write every figure and sample here")
    p.add_argument("--report", help="write the Markdown tables here as well")
    args = p.parse_args()

    results = Bench(args).go()
    text = report(results)
    print(text)
    if args.report:
        with open(args.report, "w") as f:
            f.write(text)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1, ensure_ascii=False)


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    main()

"""A throwaway X desktop (Xvfb, with openbox or xfwm4 or none) and what a
person does on it: looks at windows by their titles, types and clicks through
XTEST (xdotool), closes windows through the window manager (wmctrl -c), and
takes screenshots (ImageMagick).
"""
import os
import shutil
import signal
import subprocess
import tempfile
import time

from harness.waiting import Timeout, wait_until

SCREEN_W, SCREEN_H = 1024, 768
TWIPS_PER_PIXEL = 15  # 96 DPI


def pixels_of(path, colour):
    """How many pixels of the picture have exactly this colour ("rgb(r,g,b)")."""
    out = subprocess.run(["convert", path, "-fill", "black", "+opaque", colour, "-fill", "white", "-opaque", colour,
                          "-format", "%[fx:int(mean*w*h+0.5)]", "info:"],
                         capture_output=True, text=True, check=True).stdout
    return int(out.strip())


class Desktop:
    """Xvfb on a display of its own, with openbox as the window manager, or
    xfwm4 (window_manager="xfwm4").

    Without the window manager (window_manager=False) only a first paint can
    be watched: nothing there answers the requests a player makes through it.
    The screen is `size` pixels (width, height). `monitors`, rectangles
    (x, y, w, h) that share that screen, makes it that many monitors through
    RandR, the one at index `primary` the primary.
    """

    def __init__(self, scale_factor=None, window_manager=True, size=(SCREEN_W, SCREEN_H), monitors=None, primary=0):
        self._procs = []
        self._groups = []  # processes that leave helpers behind: stopped with them
        self.size = size
        # Qt draws the program this many device pixels to each of its own.
        self.scale = scale_factor or 1
        read_fd, write_fd = os.pipe()
        # Monitors set through RandR go with the server's reset when its
        # last client leaves: keep them (-noreset).
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{size[0]}x{size[1]}x24",
             "-nolisten", "tcp", "-dpi", "96"] + (["-noreset"] if monitors else []),
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        self._procs.append(xvfb)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = f":{number}"
        self.env = dict(os.environ, DISPLAY=self.display, QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)
        if scale_factor:
            self.env["QT_SCALE_FACTOR"] = str(scale_factor)
        self._runtime_dir = None
        if "XDG_RUNTIME_DIR" not in self.env:
            self._runtime_dir = self.env["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="mochitama-xdg-")
        if monitors:
            self._set_monitors(monitors, primary)
        if window_manager:
            self._start_window_manager(window_manager)

    def _set_monitors(self, monitors, primary):
        # Xvfb has one output, "screen": it goes to the primary monitor, the
        # others have none. Sizes in millimetres at 96 DPI.
        for i, (x, y, w, h) in enumerate(monitors):
            mm_w, mm_h = round(w * 25.4 / 96), round(h * 25.4 / 96)
            self.run(["xrandr", "--setmonitor", f"monitor{i}", f"{w}/{mm_w}x{h}/{mm_h}+{x}+{y}",
                      "screen" if i == primary else "none"])
        self.run(["xrandr", "--output", "screen", "--primary"])
        listed = self.run(["xrandr", "--listmonitors"])
        if f"Monitors: {len(monitors)}" not in listed:
            raise RuntimeError(f"Xvfb did not take the monitors: {listed}")

    def _start_window_manager(self, kind):
        """Starts the window manager and waits until it manages the screen.
        Once, on a machine loaded with other tests, openbox did not come up
        within 30 s: a second start is tried before the test gives up, and
        the giving up says what the window manager printed."""
        for attempt in (1, 2):
            output = tempfile.TemporaryFile()
            wm = self._start_xfwm4(output) if kind == "xfwm4" else self._start_openbox(output)
            try:
                wait_until(self._wm_ready, 30, "the window manager")
                return
            except Timeout:
                self._stop_window_manager(wm)
                output.seek(0)
                said = output.read().decode(errors="replace").strip()[-2000:]
                if attempt == 2:
                    raise Timeout(f"the window manager ({kind}) did not come up twice; it printed: {said!r}")
            finally:
                output.close()

    def _start_openbox(self, output):
        wm = subprocess.Popen(["openbox"], env=self.env, stdout=output, stderr=subprocess.STDOUT)
        self._procs.append(wm)
        return wm

    def _start_xfwm4(self, output):
        # xfwm4 reads its settings through xfconf, which needs a session bus:
        # a private one, in a process group of its own so that the bus and
        # the services it started go with it. No compositor (Xvfb has no GL),
        # no accessibility bus.
        env = dict(self.env, NO_AT_BRIDGE="1")
        wm = subprocess.Popen(["dbus-run-session", "--", "xfwm4", "--compositor=off"], env=env,
                              stdout=output, stderr=subprocess.STDOUT, start_new_session=True)
        self._groups.append(wm)
        return wm

    def _stop_window_manager(self, wm):
        if wm in self._groups:
            self._groups.remove(wm)
            try:
                os.killpg(wm.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        else:
            self._procs.remove(wm)
            wm.terminate()
        try:
            wm.wait(5)
        except subprocess.TimeoutExpired:
            wm.kill()
            wm.wait()

    def _wm_ready(self):
        out = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
        return "window id" in out

    def close(self):
        for group in self._groups:
            try:
                os.killpg(group.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            group.wait(5)
        for proc in reversed(self._procs):
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
        if self._runtime_dir:
            shutil.rmtree(self._runtime_dir, ignore_errors=True)

    # ---- plumbing
    def run(self, args, check=True):
        done = subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=30)
        if check and done.returncode != 0:
            raise RuntimeError(f"{' '.join(args)} failed: {done.stderr.strip()}")
        return done.stdout

    # ---- looking
    def client_windows(self):
        """The windows the window manager shows: (id, pid, title)."""
        out = self.run(["wmctrl", "-l", "-p"], check=False)
        found = []
        for line in out.splitlines():
            parts = line.split(None, 4)
            if len(parts) >= 4:
                found.append((str(int(parts[0], 16)), int(parts[2]), parts[4] if len(parts) == 5 else ""))
        return found

    def windows(self, title, pid=None):
        """Windows on the screen whose title is exactly `title`."""
        return [w for w, p, t in self.client_windows() if t == title and (pid is None or p == pid)]

    def visible_windows_of(self, pid):
        return [w for w, p, _ in self.client_windows() if p == pid]

    def wait_window(self, title, timeout=10, pid=None):
        found = wait_until(lambda: self.windows(title, pid), timeout, f"window '{title}'")
        return found[0]

    def visible_name(self, window):
        """The title as the window manager shows it (it may add to it)."""
        return self.run(["xprop", "-id", window, "_NET_WM_VISIBLE_NAME"], check=False)

    def title(self, window):
        return self.run(["xdotool", "getwindowname", window], check=False).strip()

    def active_window(self):
        return self.run(["xdotool", "getactivewindow"], check=False).strip()

    def geometry(self, window):
        """Position and size of the window's client area on the screen."""
        # xwininfo, not xdotool: xdotool counts the frame twice for reparented windows.
        out = self.run(["xwininfo", "-id", window])
        values = {}
        for line in out.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def frame(self, window):
        """The window with the frame the window manager put around it: x, y, w, h."""
        left, top, width, height = self.geometry(window)
        out = self.run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"], check=False)
        fl = fr = ft = fb = 0
        if "=" in out:
            fl, fr, ft, fb = (int(v) for v in out.split("=", 1)[1].split(","))
        return left - fl, top - ft, width + fl + fr, height + ft + fb

    def popup_menus(self, pid):
        """The menus the program has dropped down, as rectangles."""
        out = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)], check=False)
        found = []
        for window in out.split():
            kind = self.run(["xprop", "-id", window, "_NET_WM_WINDOW_TYPE"], check=False)
            if "_NET_WM_WINDOW_TYPE_POPUP_MENU" in kind:
                found.append(self.geometry(window))
        return found

    def grab(self, rect):
        """The screen's pixels in rect (x, y, w, h), as rows of 0xRRGGBB."""
        x, y, w, h = rect
        raw = subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", "rgb:-"],
                             env=self.env, capture_output=True, check=True, timeout=30).stdout
        return [[int.from_bytes(raw[3 * (r * w + c):3 * (r * w + c) + 3], "big") for c in range(w)]
                for r in range(h)]

    def screenshot(self, path):
        self.run(["import", "-window", "root", path])
        return path

    # ---- acting
    def activate(self, window):
        self.run(["xdotool", "windowactivate", "--sync", window], check=False)
        time.sleep(0.15)

    def key(self, window, *keys):
        self.activate(window)
        self.run(["xdotool", "key", "--delay", "60", *keys])

    def key_to_focus(self, *keys):
        """Keys to whichever window has the focus now, without activating one first."""
        self.run(["xdotool", "key", *keys])

    def pointer(self):
        """Where the mouse pointer is on the screen: x, y."""
        out = self.run(["xdotool", "getmouselocation", "--shell"])
        values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def click(self, window, x, y):
        """A left click at (x, y) pixels of the window's client area."""
        self.activate(window)
        left, top, _, _ = self.geometry(window)
        spot = int(left + x), int(top + y)  # whole pixels, cut as xdotool cuts them
        # A move with --sync waits for the pointer to arrive, and to the
        # spot where it already is it waits some 15 s for a motion that never
        # comes (a second game's button where the first game's was).
        if self.pointer() != spot:
            self.run(["xdotool", "mousemove", "--sync", str(spot[0]), str(spot[1])])
        self.run(["xdotool", "click", "1"])

    def pixels(self, twips):
        """Screen pixels for a length in twips, as the program lays it out."""
        return round(twips / TWIPS_PER_PIXEL) * self.scale

    def click_twips(self, window, left, top, width, height, menu_bar=0):
        """A click in the middle of a control laid out in twips."""
        self.click(window, self.scale * (left + width / 2) / TWIPS_PER_PIXEL,
                   menu_bar + self.scale * (top + height / 2) / TWIPS_PER_PIXEL)

    def close_window(self, window):
        """A close request through the window manager, as the close box sends it."""
        self.run(["wmctrl", "-i", "-c", window])

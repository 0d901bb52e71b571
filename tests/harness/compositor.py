"""A headless Weston: a Wayland-only desktop that draws into memory and can be photographed."""
import os
import subprocess

from harness.desktop import SCREEN_H, SCREEN_W
from harness.waiting import wait_until

SOCKET = "wayland-mochitama"


class Weston:
    """Weston with its socket and log in `runtime_dir`; no X server beside it."""

    def __init__(self, runtime_dir):
        self.env = dict(os.environ, XDG_RUNTIME_DIR=runtime_dir, WAYLAND_DISPLAY=SOCKET)
        for name in ("DISPLAY", "QT_QPA_PLATFORM"):
            self.env.pop(name, None)
        self.runtime_dir = runtime_dir
        self.log_path = os.path.join(runtime_dir, "weston.log")
        self.log = open(self.log_path, "wb")
        self.proc = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", f"--width={SCREEN_W}",
             f"--height={SCREEN_H}", f"--socket={SOCKET}", "--idle-time=0", "--debug"],
            env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        socket = os.path.join(runtime_dir, SOCKET)
        wait_until(lambda: os.path.exists(socket), 10, "weston's socket")

    def screenshot(self, directory):
        """The whole output as a PNG; weston-screenshooter names it itself."""
        before = set(os.listdir(directory))
        subprocess.run(["weston-screenshooter"], cwd=directory, env=self.env, check=True, timeout=10,
                       capture_output=True)
        made = sorted(set(os.listdir(directory)) - before)
        return os.path.join(directory, made[-1])

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        self.log.close()

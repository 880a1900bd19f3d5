"""The real DIRAVIRU in a virtual X screen (Xvfb), driven with real key events (xdotool).
Shared by the screenshot and CPU-share tools in this folder.

A 1280 x 960 screen shows the 640 x 480 picture at exactly twice its size."""
import os
import shutil
import struct
import subprocess
import tempfile
import time

SCREEN = "1280x960x24"


def free_display(first):
    for number in range(first, first + 50):
        if not os.path.exists(f"/tmp/.X{number}-lock") and \
           not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            return number
    raise RuntimeError("no free X display number")


def game_env():
    """The environment for the game in a window: the X display only (no Wayland, no forced
    video driver). In the sanitizer build the windowing libraries under SDL (D-Bus, loaded
    and unloaded by SDL) keep a few allocations at exit, which the leak checker would report
    as the game's and turn a normal ending into status 1; the game's own code is
    leak-checked by the test programs."""
    env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":detect_leaks=0").lstrip(":")
    return env


def start_xvfb(first_display, env, *extra_args):
    """Starts Xvfb on the first free display from first_display on, sets DISPLAY in env, and
    returns the server once it answers. (Its socket appears before it takes connections, so
    it is asked something until it does.)"""
    number = free_display(first_display)
    env["DISPLAY"] = f":{number}"
    server = subprocess.Popen(
        ["Xvfb", f":{number}", "-screen", "0", SCREEN, "-nolisten", "tcp", *extra_args],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 15
    while subprocess.run(["xdotool", "getdisplaygeometry"], env=env,
                         capture_output=True).returncode != 0:
        if server.poll() is not None or time.time() > deadline:
            server.kill()
            raise RuntimeError("Xvfb did not start")
        time.sleep(0.05)
    return server


class XvfbGame:
    """Starts Xvfb, then the game in a fresh working folder (so no settings file is read)."""

    def __init__(self, exe):
        self.env = dict(os.environ)
        # The server keeps its screen in a file in XWD format: reading it is cheap and
        # asks nothing of the server, so watching the screen does not slow the game down.
        self.fbdir = tempfile.mkdtemp(prefix="diraviru-fb-")
        self.server = start_xvfb(171, self.env, "-fbdir", self.fbdir)
        self.workdir = tempfile.mkdtemp(prefix="diraviru-xvfb-")
        self.started = time.monotonic()
        self.game = subprocess.Popen([exe], cwd=self.workdir, env=self.env)

    def close(self):
        if self.game.poll() is None:
            self.game.terminate()
            self.game.wait(10)
        self.server.terminate()
        self.server.wait(10)
        shutil.rmtree(self.fbdir, ignore_errors=True)
        shutil.rmtree(self.workdir, ignore_errors=True)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def press(self, key, hold=0.08, after=0.15):
        """A key held long enough for a screen loop to see it, then released."""
        self.xdotool("keydown", key)
        time.sleep(hold)
        self.xdotool("keyup", key)
        time.sleep(after)

    def xwd(self):
        """The screen as it is now, as an XWD image."""
        with open(os.path.join(self.fbdir, "Xvfb_screen0"), "rb") as screen:
            return screen.read()

    def screen_is_black(self):
        """True while every pixel of the screen is black. The server's pixels are 32-bit
        blue, green, red, padding (its byte order is least significant first)."""
        data = self.xwd()
        header_size = struct.unpack_from(">I", data, 0)[0]
        ncolours = struct.unpack_from(">I", data, 19 * 4)[0]
        pixels = data[header_size + 12 * ncolours:]
        return all(pixels[k::4].count(0) == len(pixels) // 4 for k in range(3))

    def lit_pixels(self, x0, y0, x1, y1, data=None):
        """How many page pixels in [x0, x1) x [y0, y1) are not black (page coordinates:
        the screen shows page pixel (x, y) at (2x, 2y))."""
        data = data or self.xwd()
        header_size = struct.unpack_from(">I", data, 0)[0]
        ncolours = struct.unpack_from(">I", data, 19 * 4)[0]
        pixels = memoryview(data)[header_size + 12 * ncolours:]
        width = struct.unpack_from(">I", data, 4 * 4)[0]
        lit = 0
        for y in range(y0, y1):
            row = pixels[(2 * y * width + 2 * x0) * 4:(2 * y * width + 2 * x1) * 4]
            lit += sum(1 for i in range(0, len(row), 8) if row[i] or row[i + 1] or row[i + 2])
        return lit

    def save_xwd(self, data, png_path):
        subprocess.run(["convert", "xwd:-", png_path], input=data, check=True)

    def screenshot(self, png_path, crop=None):
        """The screen as a PNG; crop "WxH+X+Y" cuts a part of it."""
        args = ["convert", "xwd:-"]
        if crop:
            args += ["-crop", crop, "+repage"]
        subprocess.run(args + [png_path], input=self.xwd(), check=True)

    def cpu_seconds(self):
        """User plus system time the game has used so far, in seconds."""
        with open(f"/proc/{self.game.pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def cpu_share(self, seconds):
        """The game's share of one processor core over the next `seconds`."""
        cpu0, wall0 = self.cpu_seconds(), time.monotonic()
        time.sleep(seconds)
        return (self.cpu_seconds() - cpu0) / (time.monotonic() - wall0)

    # --- the game's screens --------------------------------------------------------------

    def wait_first_picture(self, timeout=20):
        """Seconds from the start of the program to its first picture (not all black)."""
        deadline = time.monotonic() + timeout
        while self.screen_is_black():
            if self.game.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("the game showed no picture")
            time.sleep(0.01)
        return time.monotonic() - self.started

    def skip_logo(self):
        """Ctrl held runs the logo unthrottled; the title follows."""
        self.xdotool("keydown", "ctrl")
        time.sleep(1.0)
        self.xdotool("keyup", "ctrl")
        time.sleep(0.3)

    def set_players(self, types):
        """From the title with the pointer on START: each slot stepped from MAN to the given
        type ("MAN", "COM" or "NON"), then the pointer back on START."""
        steps = {"MAN": 0, "COM": 1, "NON": 2}
        for slot, kind in enumerate(types):
            self.press("Down")
            for _ in range(steps[kind]):
                self.press("Return")
        for _ in types:
            self.press("Up")

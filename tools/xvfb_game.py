"""The real DIRAVIRU in a virtual X screen (Xvfb), driven with real key events (xdotool).
Shared by the screenshot and CPU-share tools in this folder and by the tests that run the
real program.

A 1280 x 960 screen shows the 640 x 480 picture at exactly twice its size.

Everything started here stops with the program that started it: close() in a finally
(tool_run turns SIGTERM and SIGHUP into a normal exit), and, should the starter be killed
outright, the kernel's parent-death signal."""
import ctypes
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time

SCREEN = "1280x960x24"
EXIT_ROW = (250, 374, 314, 390)  # x0, y0, x1, y1 of "EXIT" on the title page
PR_SET_PDEATHSIG = 1


def die_with_parent():
    """Run in a child before it starts: it gets SIGTERM when the process that started it
    ends, however that ends."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def free_displays(first):
    """Display numbers from first on that no server holds now. A lock file whose server has
    gone (killed outright, it leaves its files behind) holds nothing: Xvfb takes it over."""
    for number in range(first, first + 50):
        owner = lock_owner(number)
        if owner is not None and not running(owner):
            yield number
        elif not os.path.exists(f"/tmp/.X{number}-lock") and \
                not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            yield number


def running(pid):
    """Whether a process of that id is running."""
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        pass
    return True


def lock_owner(number):
    """The process id in the display's lock file (the server holding it), or None."""
    try:
        with open(f"/tmp/.X{number}-lock") as lock:
            return int(lock.read().strip())
    except (OSError, ValueError):
        return None


def game_env():
    """The environment for the game in a window: the X display only (no Wayland, no forced
    video driver). In the sanitizer build the windowing libraries under SDL (D-Bus, loaded
    and unloaded by SDL) keep a few allocations at exit, which the leak checker would report
    as the game's and turn a normal ending into status 1; the game's own code is
    leak-checked by the test programs."""
    env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":detect_leaks=0").lstrip(":")
    return env


def stop(process, timeout=10):
    """Ends a started process (politely, then for sure) and collects it."""
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def start_xvfb(first_display, env, *extra_args):
    """Starts Xvfb on the first free display from first_display on, sets DISPLAY in env, and
    returns the server once it answers. (Its socket appears before it takes connections, so
    it is asked something until it does.) Another program may take the same number at the
    same moment: only a server that holds the display's lock file is ours, else the next
    number is tried. A server that does not come up is stopped."""
    for number in free_displays(first_display):
        env["DISPLAY"] = f":{number}"
        server = subprocess.Popen(
            ["Xvfb", f":{number}", "-screen", "0", SCREEN, "-nolisten", "tcp", *extra_args],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
        try:
            deadline = time.time() + 15
            while server.poll() is None and (
                    lock_owner(number) != server.pid or
                    subprocess.run(["xdotool", "getdisplaygeometry"], env=env,
                                   capture_output=True).returncode != 0):
                if time.time() > deadline:
                    raise RuntimeError("Xvfb did not start")
                time.sleep(0.05)
        except BaseException:
            stop(server)
            raise
        if server.poll() is None:
            return server
    raise RuntimeError("no free X display number")


class XvfbGame:
    """Starts Xvfb, then (unless start_game is False) the game in a fresh working folder, so
    no settings file is read. start_game() runs the game again, in a folder of the caller's
    choosing; the path of the program may be relative to the caller's folder."""

    def __init__(self, exe, start_game=True):
        self.exe = os.path.abspath(exe)
        self.env = game_env()
        self.server = self.game = None
        # The server keeps its screen in a file in XWD format: reading it is cheap and
        # asks nothing of the server, so watching the screen does not slow the game down.
        self.fbdir = tempfile.mkdtemp(prefix="diraviru-fb-")
        self.workdir = tempfile.mkdtemp(prefix="diraviru-xvfb-")
        try:
            self.server = start_xvfb(171, self.env, "-fbdir", self.fbdir)
            if start_game:
                self.start_game(self.workdir)
        except BaseException:
            self.close()
            raise

    def start_game(self, workdir, stderr=None, command=None, env=None):
        """Starts the game (after the last one ended) in workdir; stderr as for Popen. The
        command (the program by default) runs with self.env, changed by env's entries."""
        stop(self.game)
        self.started = time.monotonic()
        self.game = subprocess.Popen(command or [self.exe], cwd=workdir,
                                     env=dict(self.env, **(env or {})), stderr=stderr,
                                     preexec_fn=die_with_parent)

    def wait_game(self, timeout):
        """The game's exit status and what it wrote on standard error (when piped), once it
        has ended; None for the status when it is still running after timeout seconds."""
        try:
            status = self.game.wait(timeout)
        except subprocess.TimeoutExpired:
            return None, ""
        err = self.game.stderr.read().decode(errors="replace") if self.game.stderr else ""
        return status, err

    def close(self):
        stop(self.game)
        stop(self.server)
        shutil.rmtree(self.fbdir, ignore_errors=True)
        shutil.rmtree(self.workdir, ignore_errors=True)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def press(self, key, hold=0.08, after=0.15, new_page=False):
        """A key held long enough for a screen loop to see it, then released; with new_page,
        then waits for the page it leads to (wait_for_page)."""
        before = self.xwd() if new_page else None
        self.xdotool("keydown", key)
        time.sleep(hold)
        self.xdotool("keyup", key)
        time.sleep(after)
        if new_page:
            self.wait_for_page(before)

    def wait_for_page(self, before, still=0.3, timeout=15):
        """After a key that changes the page: waits until the screen differs from `before` (an
        xwd()) and has then stayed the same for `still` seconds, at most timeout seconds. A
        loaded machine may take a while to show a new page, and keys pressed before its screen
        loop runs are not its keys."""
        deadline = time.monotonic() + timeout
        last = before
        while time.monotonic() < deadline:
            time.sleep(still)
            now = self.xwd()
            if now == last and now != before:
                return
            last = now

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

    def skip_logo(self, timeout=20):
        """Holds Ctrl, which runs the logo unthrottled, until the title shows its EXIT row.
        RuntimeError when the game ends first or the title does not come in time."""
        self.xdotool("keydown", "ctrl")
        try:
            deadline = time.monotonic() + timeout
            while self.lit_pixels(*EXIT_ROW) == 0:
                if self.game.poll() is not None or time.monotonic() > deadline:
                    raise RuntimeError("the title did not come")
                time.sleep(0.05)
        finally:
            self.xdotool("keyup", "ctrl")
        time.sleep(0.1)

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

#!/usr/bin/env python3
"""Starts the real DIRAVIRU program where it cannot start, and where its settings file is
damaged.

- "char.bmp" missing, empty, damaged (several ways), or no display at all: the program ends
  with status 1 and exactly one line on standard error, saying what failed.
- A damaged "dod_eved.dat": the program starts in a real window under Xvfb with the values
  it could read (brought into range) and the defaults for the rest; EXIT on the title
  writes them back, byte for byte.

Usage: startup_test.py <path to diraviru> <path to assets/char.bmp>
Outside CI a machine without Xvfb, xdotool, xwd or convert skips the window part (77).
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from xvfb_game import game_env, start_xvfb  # noqa: E402  (the shared Xvfb start-up)

SKIP = 77
WINDOW_TOOLS = ["Xvfb", "xdotool", "xwd", "convert"]
SCALE = 2                     # a 1280 x 960 screen shows the 640 x 480 page at twice its size
EXIT_ROW = (250, 374, 64, 16)  # x, y, width, height of "EXIT" on the title page
RUN_SECONDS = 30


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def settings_bytes(first, block, last):
    """The file's layout: "%d %d %d", three raw little-endian ints, "%d %d %d"."""
    return ("%d %d %d" % first).encode() + struct.pack("<3i", *block) + \
        ("%d %d %d" % last).encode()


# --- the program where it cannot start ----------------------------------------------------

def bad_bitmaps(real):
    """(name, bytes) of char.bmp files the program must refuse."""
    header_only = real[:54]
    four_bits = bytearray(real)
    struct.pack_into("<H", four_bits, 28, 4)
    rle = bytearray(real)
    struct.pack_into("<I", rle, 30, 1)
    tiny = bytearray(real)
    struct.pack_into("<ii", tiny, 18, 16, 16)   # too small for the 512 x 96 glyph area
    return [
        ("empty", b""),
        ("text", b"this is not a bitmap\n"),
        ("headers only", header_only),
        ("cut in the pixels", real[:len(real) // 2]),
        ("4 bits per pixel", bytes(four_bits)),
        ("RLE compressed", bytes(rle)),
        ("16 x 16 image", bytes(tiny)),
    ]


def run_until_end(command, cwd, env):
    try:
        result = subprocess.run(command, cwd=cwd, env=env, capture_output=True,
                                timeout=RUN_SECONDS)
    except subprocess.TimeoutExpired:
        raise Failure(f"{command[0]} in {cwd} did not end")
    return result.returncode, result.stderr.decode(errors="replace")


def expect_one_line_failure(what, command, cwd, env, mentions):
    status, err = run_until_end(command, cwd, env)
    lines = err.splitlines()
    check(status == 1, f"{what}: status {status}, not 1; stderr: {err!r}")
    check(len(lines) == 1 and err.endswith("\n"),
          f"{what}: {len(lines)} lines on stderr, not one: {err!r}")
    check(mentions in lines[0], f"{what}: stderr {lines[0]!r} does not mention {mentions!r}")


def headless_env(**extra):
    """No display but SDL's dummy video driver, which opens without any screen."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    env.update(extra)
    return env


def check_refusals(exe, real_bmp, scratch):
    # A copy of the program with no char.bmp beside it, so that only the one in the
    # current directory counts (it is looked for there first, then beside the program).
    alone = os.path.join(scratch, "bin")
    os.makedirs(alone)
    program = os.path.join(alone, "diraviru")
    shutil.copy2(exe, program)
    run = os.path.join(scratch, "run")
    os.makedirs(run)
    dummy = headless_env(SDL_VIDEODRIVER="dummy")

    expect_one_line_failure("char.bmp missing", [program], run, dummy, "char.bmp")
    for name, data in bad_bitmaps(real_bmp):
        with open(os.path.join(run, "char.bmp"), "wb") as f:
            f.write(data)
        expect_one_line_failure(f"char.bmp {name}", [program], run, dummy, "char.bmp")
        # A bad one in the current directory is not passed over for the good one beside
        # the real program.
        expect_one_line_failure(f"char.bmp {name} beside a good one", [exe], run, dummy,
                                "char.bmp")
    os.remove(os.path.join(run, "char.bmp"))
    check(not os.path.exists(os.path.join(run, "dod_eved.dat")),
          "a program that could not start wrote the settings file")

    # No display at all: nothing to fall back on. XDG_RUNTIME_DIR is set as in any login
    # session, so that the windowing libraries probed on the way stay quiet.
    runtime = os.path.join(scratch, "xdg")
    os.makedirs(runtime, mode=0o700)
    expect_one_line_failure("no display", [exe], run,
                            headless_env(XDG_RUNTIME_DIR=runtime), "display")
    expect_one_line_failure("unknown video driver", [exe], run,
                            headless_env(XDG_RUNTIME_DIR=runtime,
                                         SDL_VIDEODRIVER="nonexistent"), "display")
    # The good char.bmp beside the program still serves a start from another directory.
    # (Checked with the window below.)


# --- the program with a damaged settings file, in a real window ---------------------------

def page_area_lit(env, x, y, width, height):
    """Whether any pixel of the page rectangle shows a colour other than black."""
    xwd = subprocess.run(["xwd", "-root", "-silent"], env=env, check=True,
                         capture_output=True).stdout
    crop = f"{width * SCALE}x{height * SCALE}+{x * SCALE}+{y * SCALE}"
    gray = subprocess.run(["convert", "xwd:-", "-crop", crop, "-depth", "8", "gray:-"],
                          input=xwd, check=True, capture_output=True).stdout
    return any(gray)


def press(env, key):
    subprocess.run(["xdotool", "keydown", key], env=env, check=True)
    time.sleep(0.08)
    subprocess.run(["xdotool", "keyup", key], env=env, check=True)
    time.sleep(0.12)



def check_damaged_settings(exe, scratch):
    workdir = os.path.join(scratch, "settings")
    os.makedirs(workdir)
    # wait 1234 (above its range), itemsOn 0, explosionType 9 (no such kind), then the
    # block cut after its first integer (BOMB 20): the rest is missing.
    damaged = b"1234 0 9" + struct.pack("<i", 20) + b"\x96\x00"
    with open(os.path.join(workdir, "dod_eved.dat"), "wb") as f:
        f.write(damaged)
    expected = settings_bytes((999, 0, 2), (20, 150, 150), (0, 60, 100))

    env = game_env()
    server = start_xvfb(141, env)
    game = None
    try:
        game = subprocess.Popen([exe], cwd=workdir, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)
        # Ctrl held runs the logo unthrottled; the title shows its EXIT row.
        subprocess.run(["xdotool", "keydown", "ctrl"], env=env, check=True)
        deadline = time.time() + 20
        while game.poll() is None and not page_area_lit(env, *EXIT_ROW):
            check(time.time() < deadline, "the title never showed its EXIT row")
            time.sleep(0.2)
        subprocess.run(["xdotool", "keyup", "ctrl"], env=env, check=True)
        if game.poll() is not None:
            raise Failure("the game ended at start-up: " +
                          game.stderr.read().decode(errors="replace"))
        # The title starts on START; Up wraps round to EXIT, which saves and ends.
        press(env, "Up")
        press(env, "Return")
        try:
            status = game.wait(RUN_SECONDS)
        except subprocess.TimeoutExpired:
            raise Failure("EXIT did not end the game")
        err = game.stderr.read().decode(errors="replace")
        game = None
        check(status == 0, f"EXIT ended with status {status}; stderr: {err!r}")
        check(err == "", f"a normal run printed: {err!r}")
        saved = open(os.path.join(workdir, "dod_eved.dat"), "rb").read()
        check(saved == expected, f"settings written back: {saved.hex()} not {expected.hex()}")
    finally:
        if game is not None:
            game.kill()
            game.wait()
        server.terminate()
        server.wait(10)


def main():
    exe, char_bmp = os.path.abspath(sys.argv[1]), sys.argv[2]
    real_bmp = open(char_bmp, "rb").read()
    scratch = tempfile.mkdtemp(prefix="diraviru-startup-")
    try:
        check_refusals(exe, real_bmp, scratch)
        missing = [tool for tool in WINDOW_TOOLS if shutil.which(tool) is None]
        if missing:
            print("refusals passed; missing tools for the window part: " + " ".join(missing))
            return 1 if os.environ.get("CI") == "true" else SKIP
        check_damaged_settings(exe, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("start-up checks passed")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        print("FAILED: " + str(failure))
        sys.exit(1)

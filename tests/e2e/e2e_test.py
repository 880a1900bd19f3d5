#!/usr/bin/env python3
"""Plays DIRAVIRU for real: the built program in an Xvfb window named DIRAVIRU, real key
events from xdotool, the screen read from the server. Checks the title, an option saved on
leaving the menu, a round of two computer players drawing trails in their colours, the
endings by Esc and EXIT, the settings file left behind and the exit status. Then the X server
ends under a round: the game ends with status 1 and one line, and its replay keeps the round
cut short.

Usage: e2e_test.py <path to diraviru> <path to char.bmp>"""
import os
import shutil
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "..", "tools"), os.path.join(HERE, "..", "support")]
from script_checks import SKIP, check, run  # noqa: E402
from xvfb_game import XvfbGame, game_env  # noqa: E402  (the shared Xvfb start-up)

SAVED = b"2 1 0" + bytes.fromhex("100000009600000096000000") + b"0 60 100"  # WAIT 002


def palette_of(char_bmp):
    data = open(char_bmp, "rb").read()
    return [(data[56 + 4 * i], data[55 + 4 * i], data[54 + 4 * i]) for i in range(256)]


def colours(data, x0, y0, x1, y1, wanted):
    """How many pixels of each wanted colour the page rectangle [x0, x1) x [y0, y1) shows; the
    screen shows page pixel (x, y) at (2x, 2y), as 32-bit blue, green, red, padding."""
    header, ncolours, width = (struct.unpack_from(">I", data, 4 * i)[0] for i in (0, 19, 4))
    pixels = memoryview(data)[header + 12 * ncolours:]
    counts = [0] * len(wanted)
    for y in range(y0, y1):
        row = bytes(pixels[2 * y * width * 4:(2 * y * width + 2 * x1) * 4])
        for x in range(x0, x1):
            colour = (row[8 * x + 2], row[8 * x + 1], row[8 * x])
            if colour in wanted:
                counts[wanted.index(colour)] += 1
    return counts


def wait_for(session, condition, seconds, message):
    deadline = time.monotonic() + seconds
    while not condition(session.xwd()):
        check(session.game.poll() is None and time.monotonic() < deadline, message)
        time.sleep(0.2)


def wait_for_file(path, content, seconds, message):
    """Waits until the file holds exactly `content` (the game writes it when it gets to the
    keys, which may take a while on a busy machine)."""
    deadline = time.monotonic() + seconds
    while not (os.path.exists(path) and open(path, "rb").read() == content):
        check(time.monotonic() < deadline, message)
        time.sleep(0.1)


def play(session, palette):
    session.wait_first_picture()
    check(subprocess.run(["xdotool", "search", "--name", "DIRAVIRU"], env=session.env,
                         capture_output=True).returncode == 0, "no window named DIRAVIRU")
    session.skip_logo()
    wait_for(session, lambda d: session.lit_pixels(250, 234, 442, 250, d) > 300, 10,
             "no title with its player rows")
    for key in ["Down"] * 5 + ["Return", "Down", "Right", "Up", "Return"]:  # OPTION: WAIT up
        session.press(key)
    saved = os.path.join(session.workdir, "dod_eved.dat")
    wait_for_file(saved, SAVED, 10, "leaving the option menu did not save WAIT 002")

    session.set_players(["COM", "COM", "NON", "NON"])
    session.press("Return")
    table = lambda d: session.lit_pixels(136, 216, 504, 264, d) > 600  # 1P's and 2P's rows
    wait_for(session, table, 10, "no score table with 1P and 2P")
    session.press("Return")
    players = [palette[156], palette[71]]
    trails = lambda d: all(n > 100 for n in colours(d, 1, 33, 639, 415, players))
    wait_for(session, trails, 30, "no trails of 1P and 2P in their colours on the field")
    session.press("Escape")                       # the round is abandoned: the table again
    wait_for(session, table, 10, "Esc in the round did not lead to the score table")
    session.press("Escape")                       # the match ends: the title
    wait_for(session, lambda d: session.lit_pixels(250, 206, 330, 222, d) > 200, 10,
             "Esc on the score table did not lead to the title")
    session.press("Up")                           # EXIT
    session.press("Return")
    status = session.game.wait(15)
    check(status == 0, f"EXIT ended with status {status}")
    check(open(saved, "rb").read() == SAVED, "EXIT did not keep the settings")


def display_lost(session, exe, palette):
    """A round of two computer players, then the X server is killed under it."""
    session.start_game(session.workdir, stderr=subprocess.PIPE)
    session.wait_first_picture()
    session.skip_logo()
    session.press("Return")                       # START: the players are as EXIT left them
    table = lambda d: session.lit_pixels(136, 216, 504, 264, d) > 600
    wait_for(session, table, 10, "no score table in the second run")
    session.press("Return")
    players = [palette[156], palette[71]]
    wait_for(session, lambda d: all(n > 100 for n in colours(d, 1, 33, 639, 415, players)), 30,
             "no round in the second run")
    session.server.kill()
    status, err = session.wait_game(20)
    check(status == 1, f"losing the display ended the game with status {status}")
    check(err == "diraviru: the display has gone away\n", f"losing the display said: {err!r}")
    kept = subprocess.run([exe, "--play", os.path.join(session.workdir, "last_match.dvr"),
                           "--check"], capture_output=True, text=True)
    check(kept.returncode == 0 and kept.stdout.endswith(": round 1 cut short (not checked)\n"),
          f"the replay of the round the display was lost in: {kept.stdout}{kept.stderr}")


def main():
    exe, char_bmp = sys.argv[1], sys.argv[2]
    missing = [tool for tool in ["Xvfb", "xdotool"] if shutil.which(tool) is None]
    if missing:
        print("missing tools: " + " ".join(missing))
        return 1 if os.environ.get("CI") == "true" else SKIP
    env = game_env()  # the sanitizer build: no leak check of the windowing libraries
    os.environ.clear()
    os.environ.update(env)
    session = XvfbGame(exe)
    try:
        play(session, palette_of(char_bmp))
        display_lost(session, exe, palette_of(char_bmp))
    finally:
        session.close()
    print("end-to-end run passed")
    return 0


if __name__ == "__main__":
    run(main)

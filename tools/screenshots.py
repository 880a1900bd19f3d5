#!/usr/bin/env python3
"""Makes the README's pictures from the real game under Xvfb: the title screen, and a round
of two computer players a few seconds into play. Each is the 640 x 480 picture at its own
size (the 1280 x 960 screen shows every pixel as 2 x 2; every second one is kept).

Usage: tools/screenshots.py [path to diraviru = build/diraviru] [output folder = docs]"""
import os
import subprocess
import time

import tool_run
from xvfb_game import XvfbGame

SECONDS_OF_PLAY = 10.0
COUNTDOWN_SECONDS = 3.6
ROUND_TRIES = 5


def round_over(session, data):
    """True once "PUSH ENTER KEY TO NEXT ROUND" is on the field."""
    return session.lit_pixels(96, 232, 544, 248, data) > 500


def save(session, data, path):
    session.save_xwd(data, path)
    # Point sampling: the page's own pixels, no blur.
    subprocess.run(["convert", path, "-sample", "50%", "-strip", path], check=True)
    print("wrote", path)


def capture_round_in_play(session):
    """The screen a few seconds into a round that is still going on. A round that ends too
    soon is left with Enter, and the next one is tried."""
    best, best_seconds = None, -1.0
    for _ in range(ROUND_TRIES):
        time.sleep(COUNTDOWN_SECONDS)
        started = time.monotonic()
        while time.monotonic() - started < SECONDS_OF_PLAY:
            data = session.xwd()
            if round_over(session, data):
                break
            if time.monotonic() - started > best_seconds:
                best, best_seconds = data, time.monotonic() - started
            time.sleep(0.5)
        if best_seconds >= SECONDS_OF_PLAY - 1:
            break
        session.press("Return")                  # the round is over: the score table
        time.sleep(0.5)
        session.press("Return")                  # the next round's countdown
    if best is None:
        raise tool_run.Failure(f"no round was still going on after {ROUND_TRIES} tries")
    return best


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    tool_run.check_argument_count(2, __doc__)
    exe = tool_run.program(tool_run.argument(1, os.path.join(root, "build", "diraviru")))
    out = tool_run.argument(2, os.path.join(root, "docs"))
    tool_run.require("Xvfb", "xdotool", "convert")
    os.makedirs(out, exist_ok=True)
    session = XvfbGame(exe)
    try:
        session.wait_first_picture()
        session.skip_logo()
        session.set_players(["COM", "COM", "NON", "NON"])
        time.sleep(0.5)
        save(session, session.xwd(), os.path.join(out, "title.png"))
        session.press("Return")                  # START: the score table
        time.sleep(0.5)
        session.press("Return")                  # the countdown, then the round
        save(session, capture_round_in_play(session), os.path.join(out, "round.png"))
    finally:
        session.close()


if __name__ == "__main__":
    tool_run.run(main)

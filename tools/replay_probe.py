#!/usr/bin/env python3
"""A match recorded by the real game in a real window (under Xvfb) and played back: four
computer players with items and meteorites at WAIT 1, Enter pressed every two seconds to go
on from round to round, for the given seconds; then Pause ends the program, which keeps the
round in progress cut short. Prints the replay's size, how long `--play FILE --check` takes
against the time the match took, and the verdicts of --check and of a watched --play in the
window (Ctrl held), in the game's own words (which count the rounds); when no round had
finished, it says so. A verdict other than a match, or a game that does not end with status
0 or writes no replay, is a failed run (status 1).

Usage: tools/replay_probe.py [path to diraviru = build/diraviru] [seconds = 60] [keep.dvr]"""
import os
import re
import shutil
import struct
import subprocess
import time

import tool_run
from xvfb_game import XvfbGame, die_with_parent, stop

# WAIT 1, items on, COSMO; explosion values 21, 150, 150; meteorites every 10 s, 400 a shower.
SETTINGS = b"1 1 1" + struct.pack("<3i", 21, 150, 150) + b"1 10 400"


def record(session, exe, replay, seconds):
    """Plays the match in the window for `seconds`, Enter every two seconds, then Pause;
    returns the seconds it was played."""
    with open(os.path.join(session.workdir, "dod_eved.dat"), "wb") as settings:
        settings.write(SETTINGS)
    session.started = time.monotonic()
    session.game = subprocess.Popen([exe, "--record", replay], cwd=session.workdir,
                                    env=session.env, preexec_fn=die_with_parent)
    session.wait_first_picture()
    session.skip_logo()
    session.set_players(["COM"] * 4)
    session.press("Return")                      # START: the score table
    began = time.monotonic()
    while time.monotonic() - began < seconds:
        session.press("Return", after=1.9)
    session.press("Pause")
    status = session.game.wait(10)
    if status != 0:
        raise tool_run.Failure(f"the game ended with status {status} on Pause")
    return time.monotonic() - began


def finished_rounds(verdict):
    """How many finished rounds the game's own verdict line counts (every one matched)."""
    counted = re.search(r"every round matched \((\d+) rounds?\)", verdict)
    return int(counted.group(1)) if counted else 0


def check(exe, replay, played):
    """--play FILE --check: its time against the match's, and its verdict."""
    start = time.monotonic()
    result = subprocess.run([exe, "--play", replay, "--check"], capture_output=True, text=True)
    took = time.monotonic() - start
    verdict = " ".join((result.stdout + result.stderr).split())
    print(f"--check: status {result.returncode}, {took:.3f} s: {played / took:.0f} x the "
          f"match's time; {verdict}")
    if result.returncode != 0:
        raise tool_run.Failure(f"--check of the recorded match failed: {verdict}")
    if finished_rounds(verdict) == 0:
        print("no round had finished yet: the replay holds the first round as far as it was "
              "played, which is not checked (give it more seconds)")


def watch(session, exe, replay):
    """--play FILE in the window, fast-forwarded with Ctrl held, and its verdict."""
    session.xdotool("keydown", "ctrl")
    watched = subprocess.Popen([exe, "--play", replay], cwd=session.workdir, env=session.env,
                               stdout=subprocess.PIPE, text=True, preexec_fn=die_with_parent)
    try:
        out, _ = watched.communicate(timeout=120)
    finally:
        stop(watched)
        session.xdotool("keyup", "ctrl")
    verdict = " ".join(out.split())
    print(f"--play in the window: status {watched.returncode}; {verdict}")
    if watched.returncode != 0:
        raise tool_run.Failure(f"the watched playback failed: {verdict}")


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    tool_run.check_argument_count(3, __doc__)
    exe = tool_run.program(tool_run.argument(1, os.path.join(root, "build", "diraviru")))
    seconds = tool_run.positive_number(tool_run.argument(2, "60"), "seconds")
    keep = tool_run.argument(3, None)
    tool_run.require("Xvfb", "xdotool")
    session = XvfbGame(exe, start_game=False)
    try:
        replay = os.path.join(session.workdir, "match.dvr")
        played = record(session, exe, replay, seconds)
        if not os.path.exists(replay):
            raise tool_run.Failure(f"the game wrote no replay in {played:.1f} s of a match")
        size = os.path.getsize(replay)
        print(f"recorded {played:.1f} s of a match: {size} bytes "
              f"({size * 60 / played:.0f} bytes a minute)")
        check(exe, replay, played)
        watch(session, exe, replay)
        if keep:
            shutil.copy(replay, keep)
    finally:
        session.close()


if __name__ == "__main__":
    tool_run.run(main)

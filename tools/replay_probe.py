#!/usr/bin/env python3
"""A match recorded by the real game in a real window (under Xvfb) and played back: four
computer players with items and meteorites at WAIT 1, Enter pressed every two seconds to go
on from round to round, for the given seconds; then Pause ends the program. Prints the
replay's size, its rounds and frames, how long `--play FILE --check` takes against the time
the match took, and the verdict of --check and of a watched --play in the window (Ctrl held).

Usage: tools/replay_probe.py [path to diraviru = build/diraviru] [seconds = 60] [keep.dvr]"""
import os
import shutil
import struct
import subprocess
import sys
import time

from xvfb_game import XvfbGame, die_with_parent, stop, stop_on_signals

# WAIT 1, items on, COSMO; explosion values 21, 150, 150; meteorites every 10 s, 400 a shower.
SETTINGS = b"1 1 1" + struct.pack("<3i", 21, 150, 150) + b"1 10 400"


def rounds_and_frames(data):
    """The rounds of a replay file (a round cut short counted too) and the frames in them and in
    their pauses (the layout in replay/replay.h)."""
    at = 8 + 2
    at += 1 + data[at] + 4 + 5   # game version, random state, frame counters
    at += 1 + data[at] + 4       # settings, player types

    def varint():
        nonlocal at
        value = shift = 0
        while True:
            byte = data[at]
            at += 1
            value |= (byte & 0x7F) << shift
            shift += 7
            if not byte & 0x80:
                return value

    def frames_record():
        nonlocal at
        length = varint()            # the frame bytes, skipped
        at += length
        return varint()
    rounds = frames = 0
    ROUND, PAUSE, CUT_SHORT = 1, 3, 4
    while data[at] in (ROUND, PAUSE, CUT_SHORT):
        kind = data[at]
        at += 1
        frames += frames_record()
        if kind == ROUND:
            at += 8                  # the checksum
            for _ in range(4):
                varint()             # the scores
        if kind != PAUSE:
            rounds += 1
    return rounds, frames


def main():
    stop_on_signals()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    exe = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "diraviru"))
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    session = XvfbGame(exe, start_game=False)
    try:
        replay = os.path.join(session.workdir, "match.dvr")
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
        session.game.wait(10)
        played = time.monotonic() - began
        data = open(replay, "rb").read()
        rounds, frames = rounds_and_frames(data)
        print(f"recorded {played:.1f} s of a match: {rounds} rounds, {frames} frames "
              f"({frames * 4 / 1000:.1f} s of 4 ms frames), {len(data)} bytes "
              f"({len(data) * 60 / played:.0f} bytes a minute)")

        start = time.monotonic()
        check = subprocess.run([exe, "--play", replay, "--check"], capture_output=True, text=True)
        took = time.monotonic() - start
        print(f"--check: status {check.returncode}, {took:.3f} s: {played / took:.0f} x the "
              f"match's time; {(check.stdout + check.stderr).strip()}")

        session.xdotool("keydown", "ctrl")           # watched in the window, fast-forwarded
        watch = subprocess.Popen([exe, "--play", replay], cwd=session.workdir, env=session.env,
                                 stdout=subprocess.PIPE, text=True, preexec_fn=die_with_parent)
        try:
            out, _ = watch.communicate(timeout=120)
            print(f"--play in the window: status {watch.returncode}; {out.strip()}")
        finally:
            stop(watch)
            session.xdotool("keyup", "ctrl")
        if len(sys.argv) > 3:
            shutil.copy(replay, sys.argv[3])
    finally:
        session.close()


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""How much of one processor core the real game uses on each of its screens, under Xvfb:
the title, the option menu, the score table and a round of two computer players at WAIT 1.
Also the time from start to the first picture. Reads /proc/<pid>/stat (user + system time).

Usage: tools/cpu_share.py [path to diraviru = build/diraviru] [seconds per screen = 5]"""
import os
import time

import tool_run
from xvfb_game import XvfbGame


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    tool_run.check_argument_count(2, __doc__)
    exe = tool_run.program(tool_run.argument(1, os.path.join(root, "build", "diraviru")))
    seconds = tool_run.positive_number(tool_run.argument(2, "5"), "seconds per screen")
    tool_run.require("Xvfb", "xdotool")
    shots = os.environ.get("DIRAVIRU_CPU_SHOTS")   # a folder: a screenshot of each screen

    def measure(name):
        share = session.cpu_share(seconds)
        print(f"{name}: {100 * share:5.1f} % of a core")
        if shots:
            session.screenshot(os.path.join(shots, name.split(",")[0].replace(" ", "-") + ".png"))
    session = XvfbGame(exe)
    try:
        print(f"first picture (the logo) after {session.wait_first_picture():.2f} s")
        print(f"logo: {100 * session.cpu_share(1.0):5.1f} % of a core")
        session.skip_logo()
        measure("title")
        for _ in range(5):
            session.press("Down")
        session.press("Return")                     # OPTION
        measure("option menu")
        session.press("Return")                     # EXIT (the pointer starts there)
        time.sleep(0.3)                             # the title again, pointer on START
        session.set_players(["COM", "COM", "NON", "NON"])
        session.press("Return")                     # START: the score table
        time.sleep(0.5)
        measure("score table")
        session.press("Return")                     # countdown, then the round
        time.sleep(4.0)
        measure("round, two COM players, WAIT 1")
    finally:
        session.close()


if __name__ == "__main__":
    tool_run.run(main)

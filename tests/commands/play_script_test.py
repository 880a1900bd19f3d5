#!/usr/bin/env python3
"""`bash scripts/play.sh` as the README gives it, from the project folder, in a real window
under Xvfb: it sets up, builds (nothing is left to build after the tests' build) and starts
the game, whose first picture shows; Pause then ends the game with status 0. (Pause saves
nothing, and no match is played, so the project folder gets no file.)

Usage: play_script_test.py <project folder>"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from xvfb_game import XvfbGame, die_with_parent  # noqa: E402  (the shared Xvfb driver)

SETUP_AND_BUILD_SECONDS = 120


def main():
    root = os.path.abspath(sys.argv[1])
    session = XvfbGame(os.path.join(root, "build", "diraviru"), start_game=False)
    try:
        session.started = time.monotonic()
        session.game = subprocess.Popen(["bash", "scripts/play.sh"], cwd=root, env=session.env,
                                        preexec_fn=die_with_parent)
        shown = session.wait_first_picture(SETUP_AND_BUILD_SECONDS)
        session.press("Pause")
        status = session.game.wait(30)
    finally:
        session.close()
    print(f"play.sh: the game's first picture after {shown:.1f} s; Pause: status {status}")
    return 0 if status == 0 else 1


if __name__ == "__main__":
    sys.exit(main())

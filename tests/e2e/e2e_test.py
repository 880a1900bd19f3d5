#!/usr/bin/env python3
"""Plays DIRAVIRU for real: the built program in an Xvfb window, real key events from
xdotool, screenshots with xwd. Checks what the screens show, the settings file it leaves
behind and its exit status.

Usage: e2e_test.py <path to diraviru> <path to char.bmp>
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
TOOLS = ["Xvfb", "xdotool", "xwd", "convert"]
SCALE = 2                  # a 1280 x 960 screen shows the 640 x 480 page at twice its size

DEFAULT_SETTINGS = bytes.fromhex(
    "3120312030" "100000009600000096000000" "3020363020313030")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# --- the artwork: which colours each colour tile uses -----------------------------------

def read_char_bmp(path):
    data = open(path, "rb").read()
    width, height = struct.unpack_from("<ii", data, 18)
    offset = struct.unpack_from("<I", data, 10)[0]
    palette = [(data[56 + 4 * i], data[55 + 4 * i], data[54 + 4 * i]) for i in range(256)]
    rows = abs(height)

    def index(x, y):
        row = (rows - 1 - y) if height > 0 else y
        return data[offset + row * ((width + 3) & ~3) + x]

    return palette, index


def tile_colours(palette, index, tile):
    return {palette[index(256 + 16 * tile + x, 64 + y)] for x in range(16) for y in range(16)}


# --- the X display ------------------------------------------------------------------------

class Desktop:
    def __init__(self):
        self.env = game_env()
        self.server = start_xvfb(91, self.env)

    def close(self):
        self.server.terminate()
        self.server.wait(10)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def press(self, key, hold=0.08, after=0.12):
        """A key pressed and held long enough for a screen loop to see it."""
        self.xdotool("keydown", key)
        time.sleep(hold)
        self.xdotool("keyup", key)
        time.sleep(after)

    def screenshot(self, png_path):
        """The screen as rows of (r, g, b), and a PNG copy for people to look at."""
        xwd = subprocess.run(["xwd", "-root", "-silent"], env=self.env, check=True,
                             capture_output=True).stdout
        ppm = subprocess.run(["convert", "xwd:-", "ppm:-"], input=xwd, check=True,
                             capture_output=True).stdout
        subprocess.run(["convert", "xwd:-", png_path], input=xwd, check=True)
        return parse_ppm(ppm)


def parse_ppm(data):
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    position += 1
    width, height = int(fields[1]), int(fields[2])
    pixels = data[position:position + width * height * 3]
    return width, height, pixels


def colours_in(shot, x0, y0, x1, y1):
    """Colours found in the page rectangle [x0, x1) x [y0, y1), in page pixels."""
    width, _, pixels = shot
    found = {}
    for y in range(y0 * SCALE, y1 * SCALE, SCALE):
        for x in range(x0 * SCALE, x1 * SCALE, SCALE):
            i = (y * width + x) * 3
            colour = (pixels[i], pixels[i + 1], pixels[i + 2])
            found[colour] = found.get(colour, 0) + 1
    return found


def count_of(found, colours):
    return sum(n for colour, n in found.items() if colour in colours)


# --- the run ------------------------------------------------------------------------------

class Game:
    def __init__(self, desktop, exe, workdir):
        self.desktop = desktop
        self.process = subprocess.Popen([exe], cwd=workdir, env=desktop.env,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        deadline = time.time() + 20
        while True:
            found = subprocess.run(["xdotool", "search", "--name", "DIRAVIRU"],
                                   env=desktop.env, capture_output=True)
            if found.returncode == 0:
                break
            if self.process.poll() is not None:
                raise Failure("the game ended at start-up: " + self.process.stderr.read().decode())
            check(time.time() < deadline, "no DIRAVIRU window appeared")
            time.sleep(0.1)

    def wait_exit(self, seconds=15):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure("the game did not end")


def wait_for(desktop, png, condition, seconds, message):
    deadline = time.time() + seconds
    while True:
        shot = desktop.screenshot(png)
        if condition(shot):
            return shot
        check(time.time() < deadline, message)
        time.sleep(0.3)


METEOR_INDEX = 237
PLAYER_INDEXES = [156, 71, 27, 107]


def play_a_match(desktop, shots, tiles, palette):
    """Two computer players, 3P and 4P empty: one round with meteorites, then the table."""
    desktop.press("Down")                        # 1P: MAN -> COM
    desktop.press("Return")
    desktop.press("Down")                        # 2P: MAN -> COM
    desktop.press("Return")
    for _ in range(2):                           # 3P and 4P: MAN -> COM -> NON
        desktop.press("Down")
        desktop.press("Return")
        desktop.press("Return")
    for _ in range(4):                           # back up to START
        desktop.press("Up")
    desktop.press("Return")

    def table_row(shot, slot):
        found = colours_in(shot, 136, 216 + 32 * slot, 504, 232 + 32 * slot)
        return count_of(found, tiles[slot + 1])

    shot = wait_for(desktop, f"{shots}/table-1.png", lambda s: table_row(s, 0) > 100, 10,
                    "the score table did not show")
    check(table_row(shot, 1) > 100, "2P is missing from the score table")
    check(table_row(shot, 2) == 0 and table_row(shot, 3) == 0,
          "empty slots are listed on the score table")

    desktop.press("Return")                      # countdown, then the round
    meteor = palette[METEOR_INDEX]
    players = {palette[i] for i in PLAYER_INDEXES[:2]}

    def meteorites_shown(shot):
        field = colours_in(shot, 1, 33, 639, 415)
        return field.get(meteor, 0) > 20 and count_of(field, players) > 20

    wait_for(desktop, f"{shots}/round.png", meteorites_shown, 30,
             "no meteorites and trails showed on the field")

    def round_over(shot):
        message = colours_in(shot, 96, 232, 544, 248)
        return count_of(message, tiles[7]) > 500

    desktop.xdotool("keydown", "ctrl")           # the rest of the round unthrottled
    wait_for(desktop, f"{shots}/round-end.png", round_over, 120,
             "the round never ended with PUSH ENTER KEY TO NEXT ROUND")
    desktop.xdotool("keyup", "ctrl")
    desktop.press("Return")
    shot = wait_for(desktop, f"{shots}/table-2.png", lambda s: table_row(s, 0) > 100, 10,
                    "the score table did not come back after the round")
    heading = colours_in(shot, 0, 100, 640, 132)
    check(sum(n for c, n in heading.items() if c != (0, 0, 0)) > 300, "no ROUND heading")
    desktop.press("Escape")                      # ends the match: the title again

    def title_shown(shot):
        return count_of(colours_in(shot, 250, 206, 330, 222), tiles[7]) > 100

    wait_for(desktop, f"{shots}/title-again.png", title_shown, 10,
             "Esc on the score table did not return to the title")


def main():
    exe, char_bmp = sys.argv[1], sys.argv[2]
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print("missing tools: " + " ".join(missing))
        return 1 if os.environ.get("CI") == "true" else SKIP

    palette, index = read_char_bmp(char_bmp)
    tiles = {k: tile_colours(palette, index, k) for k in range(16)}
    shots = os.environ.get("DIRAVIRU_SHOTS", tempfile.mkdtemp(prefix="diraviru-shots-"))
    os.makedirs(shots, exist_ok=True)
    workdir = tempfile.mkdtemp(prefix="diraviru-e2e-")
    desktop = Desktop()
    try:
        game = Game(desktop, exe, workdir)
        # Ctrl held runs the logo unthrottled; the title follows.
        desktop.xdotool("keydown", "ctrl")
        title_rows = [(7, "START"), (1, "1 PLAYER MAN"), (2, "2 PLAYER MAN"),
                      (3, "3 PLAYER MAN"), (4, "4 PLAYER MAN"), (6, "OPTION"), (7, "EXIT")]

        def title_shown(shot):
            text = colours_in(shot, 250, 206 + 28, 250 + 16 * 12, 206 + 28 + 16)
            return count_of(text, tiles[1]) > 100

        shot = wait_for(desktop, f"{shots}/title.png", title_shown, 20,
                        "the title never showed its player rows")
        desktop.xdotool("keyup", "ctrl")
        for row, (tile, text) in enumerate(title_rows):
            found = colours_in(shot, 250, 206 + 28 * row, 250 + 16 * len(text), 222 + 28 * row)
            check(count_of(found, tiles[tile]) > 20 * len(text),
                  f"title row {row} ({text}) is not drawn in its colour tile {tile}")
        heading = colours_in(shot, 96, 36, 544, 148)
        check(sum(n for c, n in heading.items() if c != (0, 0, 0)) > 5000,
              "the big title word is missing")

        # OPTION: WAIT one up, meteorites on every second; leave with EXIT, which saves.
        for _ in range(5):
            desktop.press("Down")
        desktop.press("Return")
        time.sleep(0.3)
        desktop.screenshot(f"{shots}/option.png")
        desktop.press("Down")            # WAIT
        desktop.press("Right")
        for _ in range(4):               # METEORITE
            desktop.press("Down")
        desktop.press("Right")
        desktop.press("Down")            # METEORITE TIME 060 -> 001
        for _ in range(59):
            desktop.press("Left", hold=0.04, after=0.04)
        desktop.screenshot(f"{shots}/option-changed.png")
        for _ in range(2):               # back to EXIT (wrapping past the last row)
            desktop.press("Down")
        desktop.press("Return")
        time.sleep(0.3)
        expected = b"2 1 0" + DEFAULT_SETTINGS[5:17] + b"1 1 100"
        saved = open(os.path.join(workdir, "dod_eved.dat"), "rb").read()
        check(saved == expected, f"settings after OPTION: {saved.hex()} not {expected.hex()}")

        play_a_match(desktop, shots, tiles, palette)

        desktop.press("Up")              # the pointer is on START again: Up wraps to EXIT
        desktop.press("Return")
        status = game.wait_exit()
        check(status == 0, f"EXIT ended with status {status}")
        saved = open(os.path.join(workdir, "dod_eved.dat"), "rb").read()
        check(saved == expected, f"settings after EXIT: {saved.hex()}")
    finally:
        desktop.close()
    print(f"end-to-end run passed; screenshots in {shots}")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        print("FAILED: " + str(failure))
        sys.exit(1)

#!/usr/bin/env python3
"""The size of the tests against the size of the game's code, in non-blank lines, for the
checkout this script is in (build folders and .git left out).

Tests: everything under tests/, every sdl_tests/ folder, and every *_test.cpp, *_tests.cpp
and *_test.py file. Code: the other .cpp, .cc, .h, .hpp and .py files, outside bench/, fuzz/
and tools/. Prints "tests N / code M = R (wanted LOW..HIGH)"; status 0 when R is within
LOW..HIGH (0.25..0.40, or the environment's RATIO_LOW and RATIO_HIGH), 1 otherwise.

Usage: scripts/test_ratio.py"""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCES = (".cpp", ".cc", ".h", ".hpp", ".py")
TEST_FILES = ("_test.cpp", "_tests.cpp", "_test.py")
NOT_CODE = ("bench", "fuzz", "tools")


def non_blank_lines(path):
    with open(path, errors="replace") as source:
        return sum(1 for line in source if line.strip())


def kind(relative):
    """"test", "code" or None for a file's path relative to the checkout."""
    parts = relative.split(os.sep)
    if not parts[-1].endswith(SOURCES):
        return None
    if parts[0] == "tests" or "sdl_tests" in parts[:-1] or parts[-1].endswith(TEST_FILES):
        return "test"
    return None if parts[0] in NOT_CODE else "code"


def count(root):
    """The non-blank lines of tests and of code under root."""
    lines = {"test": 0, "code": 0}
    for folder, folders, files in os.walk(root):
        if folder == root:
            folders[:] = [f for f in folders if f != ".git" and not f.startswith("build")]
        for name in files:
            path = os.path.join(folder, name)
            which = kind(os.path.relpath(path, root))
            if which:
                lines[which] += non_blank_lines(path)
    return lines["test"], lines["code"]


def main():
    if len(sys.argv) > 1:
        sys.exit("test_ratio.py: takes no arguments (usage: scripts/test_ratio.py)")
    try:
        low = float(os.environ.get("RATIO_LOW", "0.25"))
        high = float(os.environ.get("RATIO_HIGH", "0.40"))
    except ValueError as error:
        sys.exit(f"test_ratio.py: RATIO_LOW and RATIO_HIGH are numbers: {error}")
    tests, code = count(ROOT)
    ratio = tests / code if code else 0
    print(f"tests {tests} / code {code} = {ratio:.2f} (wanted {low:g}..{high:g})")
    return 0 if low <= ratio <= high else 1


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Mutation testing: breaks one rule of the game at a time and runs the suite, which should
fail. Each mutant in the list (scripts/mutants.txt) is one small edit of one source file;
this script applies it to a scratch copy of the sources inside the build folder (the checkout
itself is never touched), rebuilds incrementally, runs the tests and prints which mutants
survived and the share killed. A whole run takes a while. The output of the last build or
test run it made is in <build folder>/last_run.log.

With --in-place it mutates the checkout's own files instead and builds in the given build
folder of the checkout as it is, whose tests must already pass (so it skips the copy, the
first build and the first test run): for a clean clone whose build was just tested, as the
test script's, which runs one mutant so. Each file is restored and the build brought back to
it afterwards, also on Ctrl+C, SIGTERM or SIGHUP; a file left mutated by a run killed outright
is restored by the next run.

With --stale it builds and runs nothing: it only checks that every mutant of the list still
applies to the sources (its text occurs exactly once in its file), and names those that no
longer do (status 1). The tests run it, so that moving code leaves no mutant behind.

Usage: scripts/mutants.py [build folder = build-mutants] [--list FILE] [--only TEXT ...]
                          [--skip-xvfb] [--timeout SECONDS] [--in-place | --stale]

A mutant is three lines, blocks separated by blank lines, '#' starting a comment:
    [short-name] path/of/the/file.cpp
    - the exact text to replace (it must occur exactly once in the file)
    + the text that replaces it (a lone '+' removes the text)
In both texts "\\n" stands for a line break and "\\\\" for a backslash.
"""
import argparse
import json
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
XVFB_TESTS = "e2e|startup|install"  # the tests that need a real window (or make a package)
JOURNAL = "mutant_in_place.json"  # in an in-place build folder while a file is mutated


def unescape(text):
    return re.sub(r"\\(.)", lambda m: "\n" if m.group(1) == "n" else m.group(1), text)


def read_mutants(path):
    mutants, block = [], []
    for line in open(path, encoding="utf-8").read().splitlines() + [""]:
        if line.startswith("#"):
            continue
        if line.strip():
            block.append(line)
            continue
        if not block:
            continue
        shape = [line[:1] for line in block]
        if shape != ["[", "-", "+"]:
            sys.exit(f"{path}: a mutant is '[name] file', '- old', '+ new': {block}")
        name, _, file = block[0][1:].partition("] ")
        mutants.append((name, file.strip(), unescape(block[1][2:]), unescape(block[2][2:])))
        block = []
    return mutants


def sync_sources(scratch):
    """The checkout's files (tracked, or new and not ignored) copied into `scratch`; files that
    did not change keep their times, so the next build is incremental."""
    files = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard"],
                           cwd=ROOT, capture_output=True, text=True, check=True).stdout.split()
    wanted = set(files)
    for folder, _, names in os.walk(scratch):  # what the checkout no longer has goes
        for name in names:
            if os.path.relpath(os.path.join(folder, name), scratch) not in wanted:
                os.remove(os.path.join(folder, name))
    for name in files:
        source, target = os.path.join(ROOT, name), os.path.join(scratch, name)
        if not os.path.isfile(source):
            continue
        with open(source, "rb") as f:
            content = f.read()
        if os.path.exists(target) and open(target, "rb").read() == content:
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(content)


def run(command, log, timeout=None):
    """The command's exit status (-1 when it timed out); its output goes to the file `log`."""
    with open(log, "w") as out:
        try:
            return subprocess.run(command, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return -1


def stop_on_signals():
    """SIGTERM and SIGHUP end the script as Ctrl+C does, so that a mutated file is restored."""
    def leave(number, _frame):
        sys.exit(128 + number)
    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, leave)


class Mutation:
    """One mutant applied to its file for the time of a `with` block. In place, a journal in
    the build folder holds the file's original text meanwhile, for restore_left_mutant."""

    def __init__(self, path, original, mutated, journal=None):
        self.path, self.original, self.mutated, self.journal = path, original, mutated, journal

    def __enter__(self):
        if self.journal:
            with open(self.journal, "w", encoding="utf-8") as f:
                json.dump({"path": self.path, "original": self.original}, f)
        with open(self.path, "w", encoding="utf-8") as f:
            f.write(self.mutated)

    def __exit__(self, *_):
        with open(self.path, "w", encoding="utf-8") as f:
            f.write(self.original)
        if self.journal:
            os.remove(self.journal)


def restore_left_mutant(journal):
    """Restores the file a run killed outright left mutated in place, if there is one."""
    if os.path.exists(journal):
        with open(journal, encoding="utf-8") as f:
            left = json.load(f)
        with open(left["path"], "w", encoding="utf-8") as f:
            f.write(left["original"])
        os.remove(journal)
        print(f"restored {left['path']}, which an interrupted run had left mutated", flush=True)


class OneLineParser(argparse.ArgumentParser):
    """A wrong command line is one line, as every failure of this script."""

    def error(self, message):
        sys.exit(f"mutants.py: {message} (see --help)")


def main():
    parser = OneLineParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default=os.path.join(ROOT, "build-mutants"))
    parser.add_argument("--list", default=os.path.join(ROOT, "scripts", "mutants.txt"))
    parser.add_argument("--only", nargs="*", default=[], help="mutants whose name has this text")
    parser.add_argument("--skip-xvfb", action="store_true", help="leave out the real-window tests")
    parser.add_argument("--timeout", type=int, default=120, help="seconds for one test")
    parser.add_argument("--in-place", action="store_true",
                        help="mutate the checkout itself, in the given build of it (see above)")
    parser.add_argument("--stale", action="store_true",
                        help="only name the mutants whose text is no longer in their file")
    args = parser.parse_args()
    stop_on_signals()

    mutants = [m for m in read_mutants(args.list) if not args.only or any(o in m[0] for o in args.only)]
    if not mutants:
        sys.exit(f"mutants.py: no mutant in {args.list} has a name with {' or '.join(args.only)}")
    if args.stale:
        return report_stale(mutants)
    log = os.path.join(args.build, "last_run.log")  # the output of the last build or test run
    # The commands of README.md and HACKING.md judge no rule of the game.
    ctest_options = ["-j", str(os.cpu_count() or 2), "--stop-on-failure", "--output-on-failure",
                     "--timeout", str(args.timeout), "-LE", "commands"] + \
        (["-E", XVFB_TESTS] if args.skip_xvfb else [])
    if args.in_place:
        sources, out, journal = ROOT, args.build, os.path.join(args.build, JOURNAL)
        if not os.path.exists(os.path.join(out, "CMakeCache.txt")):
            sys.exit(f"mutants.py: {out} is no build folder of this checkout")
        restore_left_mutant(journal)
        if run(["cmake", "--build", out], log):
            sys.exit(f"mutants.py: the checkout does not build in {out} (see {log})")
    else:
        sources, out, journal = os.path.join(args.build, "source"), os.path.join(args.build, "out"), None
        os.makedirs(args.build, exist_ok=True)
        sync_sources(sources)
        configure = ["cmake", "-S", sources, "-B", out, "-G", "Ninja",
                     "-DCMAKE_BUILD_TYPE=RelWithDebInfo"]
        if run(configure, log) or run(["cmake", "--build", out], log) or \
                run(["ctest", "--test-dir", out] + ctest_options, log):
            sys.exit(f"mutants.py: the unmutated sources do not build or pass their tests in {out} "
                     f"(see {log})")
    ctest = ["ctest", "--test-dir", out] + ctest_options

    results = []
    try:
        for name, file, old, new in mutants:
            path = os.path.join(sources, file)
            original = read_source(path)
            if original.count(old) != 1:
                results.append((name, "STALE"))
                print(stale_line(name, file, original.count(old)), flush=True)
                continue
            started = time.monotonic()
            with Mutation(path, original, original.replace(old, new), journal):
                if run(["cmake", "--build", out], log) != 0:
                    verdict = "NOT BUILT"
                else:
                    verdict = "KILLED" if run(ctest, log) != 0 else "SURVIVED"
            results.append((name, verdict))
            print(f"{name:36} {verdict:9} {time.monotonic() - started:5.0f} s  {file}", flush=True)
    finally:
        if args.in_place and run(["cmake", "--build", out], log):  # the build as the checkout
            sys.exit(f"mutants.py: the restored checkout does not build in {out} (see {log})")

    judged = [r for r in results if r[1] in ("KILLED", "SURVIVED")]
    killed = sum(1 for r in judged if r[1] == "KILLED")
    print(f"\nkilled {killed} of {len(judged)} ({100 * killed / max(len(judged), 1):.0f}%)")
    for name, verdict in results:
        if verdict != "KILLED":
            print(f"  {verdict}: {name}")
    return 0


def read_source(path):
    return open(path, encoding="utf-8").read() if os.path.exists(path) else ""


def stale_line(name, file, count):
    return f"{name:36} STALE: the text occurs {count} times in {file}"


def report_stale(mutants):
    stale = 0
    for name, file, old, _ in mutants:
        count = read_source(os.path.join(ROOT, file)).count(old)
        if count != 1:
            print(stale_line(name, file, count))
            stale += 1
    print(f"{len(mutants) - stale} of {len(mutants)} mutants apply to the sources")
    return 1 if stale else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (OSError, subprocess.CalledProcessError) as error:  # one line, as every failure
        sys.exit(f"mutants.py: {error}")

#!/usr/bin/env python3
"""Runs one of the commands the README and HACKING.md give and judges how it ended, as a
person who typed it would: the status, what it printed, the files it wrote. Prints what the
command printed, then the verdict; status 0 when the command did what it should.

Usage: command_check.py [options] -- COMMAND [ARGUMENTS...]
  --expect REGEX    its output (standard output and error together) has a match (repeatable)
  --fails           it must fail as a tool should: status 1 and exactly one line on standard
                    error (which --expect is then matched against)
  --env NAME=VALUE  set in its environment (repeatable)
  --file GLOB       it wrote at least one non-empty file matching GLOB (repeatable)
  --png WxH GLOB    every file matching GLOB is a PNG of that size, and there is one
  --timeout SECONDS it must end within this time (default 120); then it gets SIGTERM
In the command, the environment's values and the globs, {scratch} stands for a fresh empty
folder, removed afterwards; in the command, {python} stands for the Python running this (so
that a command can run without PATH). No command may end in a Python traceback."""
import argparse
import glob
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile


class Verdict(Exception):
    """What the command did wrong, in one line."""


def arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--expect", action="append", default=[])
    parser.add_argument("--fails", action="store_true")
    parser.add_argument("--env", action="append", default=[])
    parser.add_argument("--file", action="append", default=[])
    parser.add_argument("--png", nargs=2, action="append", default=[], metavar=("WxH", "GLOB"))
    parser.add_argument("--timeout", type=float, default=120)
    parser.add_argument("command", nargs="+")
    return parser.parse_args()


def run(command, env, timeout):
    """The command's status, standard output and standard error. Past the timeout, its whole
    process group gets SIGTERM (the tools stop what they started), then SIGKILL."""
    process = subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               text=True, errors="replace", start_new_session=True)
    try:
        out, err = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGTERM)
        try:
            out, err = process.communicate(timeout=15)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            out, err = process.communicate()
        print(out, err, sep="\n")
        raise Verdict(f"did not end within {timeout:g} s")
    return process.returncode, out, err


def png_size(path):
    with open(path, "rb") as picture:
        head = picture.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        raise Verdict(f"{path} is not a PNG")
    return "%dx%d" % struct.unpack(">II", head[16:24])


def judge(options, status, out, err, scratch):
    if "Traceback (most recent call last)" in out + err:
        raise Verdict("it ended in a Python traceback")
    if options.fails:
        lines = err.splitlines()
        if status != 1 or len(lines) != 1:
            raise Verdict(f"a failed run must be status 1 and one line on standard error, "
                          f"not status {status} and {len(lines)} lines")
        text = err
    else:
        if status != 0:
            raise Verdict(f"status {status}")
        text = out + err
    for pattern in options.expect:
        if not re.search(pattern, text, re.MULTILINE):
            raise Verdict(f"nothing in its output matches {pattern!r}")
    for pattern in options.file:
        pattern = pattern.replace("{scratch}", scratch)
        if not any(os.path.getsize(path) > 0 for path in glob.glob(pattern)):
            raise Verdict(f"it wrote no file {pattern}")
    for size, pattern in options.png:
        paths = glob.glob(pattern.replace("{scratch}", scratch))
        if not paths:
            raise Verdict(f"it wrote no picture {pattern}")
        for path in paths:
            if png_size(path) != size:
                raise Verdict(f"{path} is {png_size(path)}, not {size}")


def main():
    options = arguments()
    scratch = tempfile.mkdtemp(prefix="diraviru-command-")
    try:
        command = [part.replace("{scratch}", scratch).replace("{python}", sys.executable)
                   for part in options.command]
        env = dict(os.environ)
        for setting in options.env:
            name, _, value = setting.partition("=")
            env[name] = value.replace("{scratch}", scratch)
        print("$ " + " ".join(command), flush=True)
        try:
            status, out, err = run(command, env, options.timeout)
            print(out, end="")
            print(err, end="", file=sys.stderr, flush=True)
            judge(options, status, out, err, scratch)
        except Verdict as verdict:
            print(f"FAILED: {command[0]}: {verdict}")
            return 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""The real DIRAVIRU program where it cannot start, and with odd things in its folder.

- No usable "char.bmp" (missing in both places, damaged, a named pipe), or no display at
  all: status 1 and one line on standard error, naming every place tried.
- Under Xvfb: a damaged "char.bmp" in the working folder is passed over (one line) for the
  one beside the program; a damaged "dod_eved.dat" is read as far as it goes and written
  back whole. A save that cannot be made shows "SETTINGS NOT SAVED", prints one line with
  the file and the reason, ends with status 1 and leaves the folder as it was.

Usage: startup_test.py <path to diraviru> <path to assets/char.bmp>
Outside CI, without Xvfb or xdotool the window part is skipped (77). The read-only folder
and the full disk are mounted in a mount namespace of the test's own; without root they
are skipped, saying so.
"""
import os
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import time
from contextlib import suppress

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "..", "tools"), os.path.join(HERE, "..", "support")]
from script_checks import SKIP, Failure, check, run  # noqa: E402
from xvfb_game import XvfbGame  # noqa: E402  (the shared Xvfb driver)

NOTICE = (176, 430, 464, 446)  # x0, y0, x1, y1 of "SETTINGS NOT SAVED" on the title page
OWN_MOUNTS = "DIRAVIRU_STARTUP_OWN_MOUNTS"


def four_bits(real):
    """The bitmap with 4 bits per pixel in its header, which the game cannot use."""
    return real[:28] + struct.pack("<H", 4) + real[30:]


def folder_state(folder):
    """Every name in the folder with its content (files) or its kind (anything else)."""
    def state(path):
        mode = os.lstat(path).st_mode
        return open(path, "rb").read() if stat.S_ISREG(mode) else stat.S_IFMT(mode)
    return {name: state(os.path.join(folder, name)) for name in os.listdir(folder)}


def expect_one_line_failure(what, command, cwd, env, mentions):
    result = subprocess.run(command, cwd=cwd, env=env, capture_output=True, timeout=30)
    err = result.stderr.decode(errors="replace")
    check(result.returncode == 1, f"{what}: status {result.returncode}, not 1; stderr: {err!r}")
    check(err.count("\n") == 1 and err.endswith("\n"), f"{what}: not one line: {err!r}")
    for text in mentions:
        check(text in err, f"{what}: {err!r} does not mention {text!r}")


def check_refusals(exe, real_bmp, scratch):
    # A copy of the program with no char.bmp beside it: only the working folder's counts.
    alone, run = os.path.join(scratch, "bin"), os.path.join(scratch, "run")
    os.makedirs(alone)
    os.makedirs(run)
    program = shutil.copy2(exe, os.path.join(alone, "diraviru"))
    dummy = dict(os.environ, SDL_VIDEODRIVER="dummy")
    here, beside = os.path.join(run, "char.bmp"), os.path.join(alone, "char.bmp")
    expect_one_line_failure("char.bmp missing", [program], run, dummy,
                            [f"{here}: No such file", f"{beside}: No such file"])
    for name, data in [("empty", b""), ("cut short", real_bmp[:2000]),
                       ("4 bits per pixel", four_bits(real_bmp)), ("a named pipe", None)]:
        if data is None:
            os.mkfifo(here)
        else:
            open(here, "wb").write(data)
        expect_one_line_failure(f"char.bmp {name}", [program], run, dummy,
                                [here + ": " + ("not a regular file" if data is None else "")])
        os.remove(here)
    check(os.listdir(run) == [], "a program that could not start wrote in its folder")


# --- in a real window ---------------------------------------------------------------------

def play_to_exit(session, workdir):
    """Runs the game in workdir to EXIT on the title; the status, standard error, and
    whether the notice showed."""
    session.start_game(workdir, stderr=subprocess.PIPE)
    try:
        session.skip_logo()
    except RuntimeError:
        raise Failure(f"no title in {workdir}: {session.wait_game(1)}")
    session.press("Up")
    session.press("Return", after=0)
    deadline, notice = time.monotonic() + 1.0, False
    while not notice and time.monotonic() < deadline and session.game.poll() is None:
        notice = session.lit_pixels(*NOTICE) > 0
        time.sleep(0.05)
    return (*session.wait_game(30), notice)


def check_passed_over_bitmap(session, exe, real_bmp, workdir):
    # wait 1234 (above its range), itemsOn 0, explosionType 9 (no such kind), then the
    # block cut after its first integer (BOMB 20): the rest is missing.
    open(os.path.join(workdir, "dod_eved.dat"), "wb").write(
        b"1234 0 9" + struct.pack("<i", 20) + b"\x96\x00")
    open(os.path.join(workdir, "char.bmp"), "wb").write(four_bits(real_bmp))
    status, err, notice = play_to_exit(session, workdir)
    passed = f"diraviru: using {os.path.dirname(exe)}/char.bmp, passed over {workdir}/char.bmp: "
    check(status == 0 and not notice, f"EXIT: status {status}, notice {notice}, stderr {err!r}")
    check(err.startswith(passed) and err.count("\n") == 1, f"stderr: {err!r}")
    saved = open(os.path.join(workdir, "dod_eved.dat"), "rb").read()
    expected = b"999 0 2" + struct.pack("<3i", 20, 150, 150) + b"0 60 100"  # its layout
    check(saved == expected, f"settings written back: {saved.hex()} not {expected.hex()}")


# What stands in the way of a save, and the reason the line gives after the file's path.
UNSAVED = {"a named pipe as dod_eved.dat": "not a regular file, not replaced",
           "a folder dod_eved.dat.tmp": "{}.tmp: Is a directory",
           "a read-only folder": "{}.tmp: Read-only file system",
           "a full disk": "{}.tmp: No space left on device"}


def check_unsaved(session, scratch, can_mount):
    for number, (what, reason) in enumerate(UNSAVED.items()):
        own_disk = what in ("a read-only folder", "a full disk")  # a small tmpfs of its own
        if own_disk and not can_mount:
            continue
        workdir = os.path.join(scratch, f"unsaved{number}")
        path = os.path.join(workdir, "dod_eved.dat")
        os.makedirs(workdir)
        if own_disk:
            subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8k", "tmpfs", workdir], check=True)
        try:
            if what == "a named pipe as dod_eved.dat":
                os.mkfifo(path)
            else:
                open(path, "wb").write(b"the previous file")
            if what == "a folder dod_eved.dat.tmp":
                os.mkdir(path + ".tmp")
            if what == "a read-only folder":
                subprocess.run(["mount", "-o", "remount,ro", workdir], check=True)
            if what == "a full disk":  # every byte left taken
                with suppress(OSError), open(f"{workdir}/filler", "wb", buffering=0) as filler:
                    while filler.write(bytes(4096)):
                        pass
            before = folder_state(workdir)
            status, err, notice = play_to_exit(session, workdir)
            line = f"diraviru: cannot save the settings to {path}: {reason.format(path)}\n"
            check(notice, f"{what}: no SETTINGS NOT SAVED on the title")
            check(status == 1 and err == line, f"{what}: status {status}, stderr {err!r}")
            check(folder_state(workdir) == before, f"{what}: the folder changed")
        finally:
            if own_disk:
                subprocess.run(["umount", workdir], check=True)


def own_mount_namespace():
    """As root, runs this test again in a mount namespace of its own, so that its mounts
    vanish with it however it ends. True when mounts can be made."""
    if os.environ.get(OWN_MOUNTS):
        return True
    if os.geteuid() != 0 or shutil.which("unshare") is None or \
       subprocess.run(["unshare", "--mount", "true"], capture_output=True).returncode != 0:
        return False
    os.environ[OWN_MOUNTS] = "1"
    os.execvp("unshare", ["unshare", "--mount", "--propagation", "private",
                          sys.executable, *sys.argv])


def main():
    can_mount = own_mount_namespace()
    exe, real_bmp = os.path.abspath(sys.argv[1]), open(sys.argv[2], "rb").read()
    scratch = tempfile.mkdtemp(prefix="diraviru-startup-")
    try:
        check_refusals(exe, real_bmp, scratch)
        missing = [tool for tool in ("Xvfb", "xdotool") if shutil.which(tool) is None]
        if missing:
            print("refusals passed; missing tools for the window part: " + " ".join(missing))
            return 1 if os.environ.get("CI") == "true" else SKIP
        session = XvfbGame(exe, start_game=False)
        try:
            check_passed_over_bitmap(session, exe, real_bmp, os.path.join(scratch, "run"))
            check_unsaved(session, scratch, can_mount)
        finally:
            session.close()
        # As bare an environment as a new user's: whatever the libraries underneath would
        # say, one line.
        bare = {k: v for k, v in os.environ.items()
                if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "XDG_RUNTIME_DIR")}
        expect_one_line_failure("no display", [exe], scratch, bare, ["display"])
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    if not can_mount:
        print("skipped the read-only folder and the full disk: mounting them needs root")
    print("start-up checks passed")
    return 0


if __name__ == "__main__":
    run(main)

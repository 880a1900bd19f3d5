#!/usr/bin/env python3
"""The game installed like any other, and its Debian package.

installed: `cmake --install` into a temporary prefix puts every file in its place; the desktop
entry, the AppStream metadata and the manual page pass their tools' checks; `--help` and
`--version` answer with status 0. Then, under Xvfb, the desktop entry's Exec line starts the
installed program from the home folder of a fresh temporary user: it finds its char.bmp,
shows the title, saves an option into ~/.local/share/diraviru (made private to the user),
and the next start, from an unrelated folder, keeps it. Nothing else appears anywhere.

package: cpack makes the Debian package from the same install; it holds exactly the installed
files in Debian's layout (the program in /usr/games, the manual page compressed, a copyright
file and a changelog), depends on the libraries the program links, and the program unpacked
from it counts as installed. lintian finds no error where it is installed (scripts/package.sh
installs it; CI does not, and the run says it was not run).

Usage: install_test.py installed <cmake> <build folder>
       install_test.py package <cpack> <build folder>
Outside CI a missing tool skips what needs it (exit 77 when anything was skipped)."""
import os
import shlex
import shutil
import stat
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from xvfb_game import XvfbGame  # noqa: E402  (the shared Xvfb driver)

SKIP = 77
SIZES = (16, 32, 48, 64, 128, 256)
INSTALLED = ["bin/diraviru", "share/diraviru/char.bmp", "share/applications/diraviru.desktop",
             "share/man/man6/diraviru.6", "share/doc/diraviru/README.md",
             "share/doc/diraviru/LICENSE"] + \
            [f"share/icons/hicolor/{n}x{n}/apps/diraviru.png" for n in SIZES]
SAVED = b"2 1 0" + bytes.fromhex("100000009600000096000000") + b"0 60 100"  # WAIT 002
MAN_SECTIONS = ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "KEYS", "FILES", "ENVIRONMENT",
                "EXIT STATUS")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Tools:
    """Runs the checking tools; one that is missing is a failure in CI, else a skip."""

    def __init__(self):
        self.skipped = []

    def optional(self, name):
        """Whether a tool that CI does not install is here; when not, the run says so."""
        if shutil.which(name) is None:
            print(f"{name} is not installed (scripts/package.sh installs it): not run")
            return False
        return True

    def have(self, *names):
        missing = [name for name in names if shutil.which(name) is None]
        if missing and os.environ.get("CI") == "true":
            raise Failure("missing tools: " + " ".join(missing))
        self.skipped += missing
        return not missing


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=120, **kwargs)


def files_under(root):
    """Every file below root, as paths relative to it."""
    return sorted(os.path.relpath(os.path.join(folder, name), root)
                  for folder, _, names in os.walk(root) for name in names)


def metainfo_of(files):
    found = [f for f in files if f.startswith("share/metainfo/") and f.endswith(".metainfo.xml")]
    check(len(found) == 1, f"not one metainfo file: {found}")
    return found[0]


# --- installed ------------------------------------------------------------------------------

def check_metadata(prefix, tools):
    files = files_under(prefix)
    expected = sorted(INSTALLED + [metainfo_of(files)])
    check(files == expected, f"installed files {files}, not {expected}")
    if tools.have("desktop-file-validate"):
        result = run(["desktop-file-validate", f"{prefix}/share/applications/diraviru.desktop"])
        check(result.returncode == 0 and not result.stdout, "desktop entry: " + result.stdout)
    if tools.have("appstreamcli"):
        result = run(["appstreamcli", "validate", "--no-net", f"{prefix}/{metainfo_of(files)}"])
        check(result.returncode == 0, "metainfo: " + result.stdout)


def check_manual(prefix, help_text, tools):
    """The manual page renders without a warning, has its sections, and names every option
    --help names."""
    if not tools.have("man"):
        return
    result = run(["man", "--warnings", "-E", "UTF-8", "-l", f"{prefix}/share/man/man6/diraviru.6"],
                 env=dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8"))
    check(result.returncode == 0 and not result.stderr, f"man: {result.stderr}")
    page = result.stdout
    for section in MAN_SECTIONS:
        check(f"\n{section}\n" in page, f"the manual page has no {section}")
    options = [word.rstrip(",") for line in help_text.splitlines() if line.startswith("  -")
               for word in line.split()[:2] if word.startswith("-")]
    check(len(options) >= 9, f"--help lists too few options: {options}")
    for option in options:
        check(option in page, f"the manual page does not name {option}")
    check("share/diraviru" in page and ".local/share/diraviru" in page,
          "the manual page does not state where the files go")


def exec_line(prefix):
    """The desktop entry's Exec command (without field codes)."""
    for line in open(f"{prefix}/share/applications/diraviru.desktop"):
        if line.startswith("Exec="):
            return [word for word in shlex.split(line[5:]) if not word.startswith("%")]
    raise Failure("the desktop entry has no Exec line")


def play_installed(session, command, env, workdir, keys):
    """Starts the installed game in workdir, presses the keys on its title; its status and
    what it wrote on standard error once it ended."""
    session.start_game(workdir, stderr=subprocess.PIPE, command=command, env=env)
    try:
        session.skip_logo()
    except RuntimeError:
        raise Failure(f"the installed game showed no title: {session.wait_game(1)}")
    for key in keys:
        session.press(key)
    return session.wait_game(30)


def check_installed_game(prefix, scratch, tools):
    home, elsewhere = os.path.join(scratch, "home"), os.path.join(scratch, "elsewhere")
    os.makedirs(home)
    os.makedirs(elsewhere)
    env = {"HOME": home, "XDG_DATA_HOME": "",
           "PATH": f"{prefix}/bin:{os.environ.get('PATH', '/usr/bin:/bin')}"}
    data = os.path.join(home, ".local/share/diraviru")

    result = run(["diraviru", "--help"], cwd=elsewhere, env=dict(os.environ, **env))
    check(result.returncode == 0 and f"\n  {data}\n" in result.stdout,
          f"--help: status {result.returncode}, no line with {data}: {result.stdout!r}")
    help_text = result.stdout
    version = run(["diraviru", "--version"], cwd=elsewhere, env=dict(os.environ, **env))
    check(version.returncode == 0 and version.stdout.startswith("diraviru "),
          f"--version: status {version.returncode}: {version.stdout!r}")
    check(os.listdir(home) == [] and os.listdir(elsewhere) == [], "--help or --version wrote")
    check_manual(prefix, help_text, tools)

    if not tools.have("Xvfb", "xdotool"):
        return
    command = exec_line(prefix)
    session = XvfbGame(os.path.join(prefix, "bin/diraviru"), start_game=False)
    try:
        # From the home folder: OPTION, WAIT one up, back (saved), then EXIT.
        status, err = play_installed(session, command, env, home,
                                     ["Down"] * 5 + ["Return", "Down", "Right", "Up", "Return",
                                                     "Up", "Return"])
        check(status == 0 and err == "", f"first start: status {status}, stderr {err!r}")
        check(files_under(home) == [".local/share/diraviru/dod_eved.dat"],
              f"the home folder holds {files_under(home)}")
        check(open(os.path.join(data, "dod_eved.dat"), "rb").read() == SAVED,
              "the option was not saved into the data folder")
        check(stat.S_IMODE(os.stat(data).st_mode) == 0o700, "the data folder is not private")
        # From an unrelated folder: EXIT at once, which saves what was read.
        status, err = play_installed(session, command, env, elsewhere, ["Up", "Return"])
        check(status == 0 and err == "", f"second start: status {status}, stderr {err!r}")
        check(open(os.path.join(data, "dod_eved.dat"), "rb").read() == SAVED,
              "the second start did not keep the option")
        check(os.listdir(elsewhere) == [], f"the working folder holds {os.listdir(elsewhere)}")
    finally:
        session.close()


def installed(cmake, build, scratch, tools):
    prefix = os.path.join(scratch, "prefix")
    result = run([cmake, "--install", build, "--prefix", prefix])
    check(result.returncode == 0, "cmake --install: " + result.stdout + result.stderr)
    check_metadata(prefix, tools)
    check_installed_game(prefix, scratch, tools)


# --- package --------------------------------------------------------------------------------

def debian_layout(files):
    """The installed files as the package holds them below /usr."""
    moved = {"bin/diraviru": "games/diraviru",
             "share/man/man6/diraviru.6": "share/man/man6/diraviru.6.gz"}
    return sorted([moved.get(f, f) for f in files] +
                  ["share/doc/diraviru/copyright", "share/doc/diraviru/changelog.gz"])


def package(cpack, build, scratch, tools):
    if not tools.have("dpkg-deb", "dpkg-shlibdeps", "file"):
        return
    out = os.path.join(scratch, "out")
    result = run([cpack, "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out])
    check(result.returncode == 0, "cpack: " + result.stdout + result.stderr)
    debs = [name for name in os.listdir(out) if name.endswith(".deb")]
    check(len(debs) == 1 and debs[0].startswith("diraviru_"), f"packages made: {debs}")
    deb = os.path.join(out, debs[0])
    root = os.path.join(scratch, "root")
    check(run(["dpkg-deb", "-x", deb, root]).returncode == 0, "dpkg-deb -x failed")
    files = files_under(os.path.join(root, "usr"))
    expected = debian_layout(INSTALLED + [metainfo_of(files)])
    check(files == expected, f"the package holds {files}, not {expected}")
    depends = run(["dpkg-deb", "-f", deb, "Depends"]).stdout
    check("libsdl2" in depends and "libenet" in depends, f"Depends: {depends!r}")

    home = os.path.join(scratch, "home")
    os.makedirs(home)
    result = run([os.path.join(root, "usr/games/diraviru"), "--help"], cwd=scratch,
                 env=dict(os.environ, HOME=home, XDG_DATA_HOME=""))
    check(f"\n  {home}/.local/share/diraviru\n" in result.stdout,
          f"the packaged program does not count as installed: {result.stdout!r}")
    if tools.optional("lintian"):
        result = run(["lintian", "--fail-on", "error", deb])
        check(result.returncode == 0, "lintian: " + result.stdout + result.stderr)


def main():
    mode, tool, build = sys.argv[1], sys.argv[2], os.path.abspath(sys.argv[3])
    tools = Tools()
    scratch = tempfile.mkdtemp(prefix="diraviru-install-")
    try:
        {"installed": installed, "package": package}[mode](tool, build, scratch, tools)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    if tools.skipped:
        print(f"{mode}: passed what could run; skipped, missing " + " ".join(tools.skipped))
        return SKIP
    print(f"{mode}: every check passed")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        print("FAILED: " + str(failure))
        sys.exit(1)

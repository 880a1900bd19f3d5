"""How the tools in this folder start and end. run(main) runs a tool's main function: it ends
with status 0 when main returns; a failed run ends with one line on standard error, naming the
tool and what went wrong, and status 1 (never a traceback); Ctrl+C, SIGTERM and SIGHUP end it
with 128 + the signal's number, after its finally blocks have stopped what it started.

The arguments are read with the helpers below, which turn a wrong one into such a line."""
import os
import shutil
import signal
import subprocess
import sys


class Failure(Exception):
    """A failed run, said in one line."""


def stop_on_signals():
    """SIGTERM and SIGHUP end the program as Ctrl+C does, so its finally blocks run."""
    def leave(number, _frame):
        sys.exit(128 + number)
    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, leave)


def describe(error):
    """What went wrong, in the words of the error, on one line."""
    if isinstance(error, subprocess.CalledProcessError):
        text = f"{os.path.basename(str(error.cmd[0]))} ended with status {error.returncode}"
    elif isinstance(error, subprocess.TimeoutExpired):
        text = f"{os.path.basename(str(error.cmd[0]))} did not end within {error.timeout:g} s"
    elif isinstance(error, OSError) and error.filename is not None:
        text = f"{error.filename}: {error.strerror}"
    elif isinstance(error, (Failure, RuntimeError)):
        text = str(error)
    else:
        text = f"{type(error).__name__}: {error}"
    return " ".join(text.split())


def run(main):
    """Runs main() as the whole program (see above); never returns."""
    name = os.path.basename(sys.argv[0])
    stop_on_signals()
    try:
        main()
    except KeyboardInterrupt:
        print(f"{name}: interrupted", file=sys.stderr)
        sys.exit(128 + signal.SIGINT)
    except Exception as error:  # noqa: BLE001  (every failure is one line, whatever it is)
        print(f"{name}: {describe(error)}", file=sys.stderr)
        sys.exit(1)
    sys.exit(0)


def check_argument_count(most, doc):
    """A Failure giving the usage (the line of the tool's doc that starts with "Usage: ") when
    the command line has more than `most` arguments."""
    if len(sys.argv) - 1 > most:
        usage = next((line for line in doc.splitlines() if line.startswith("Usage: ")), "")
        raise Failure(f"too many arguments. {usage}")


def argument(index, default):
    """The command line's argument at index (1 is the first), or default when it is absent."""
    return sys.argv[index] if len(sys.argv) > index else default


def positive_number(text, what):
    """text as a number above zero; a Failure naming `what` otherwise."""
    try:
        value = float(text)
    except ValueError:
        value = 0
    if not value > 0 or value == float("inf"):
        raise Failure(f"{what} must be a number above 0, not '{text}'")
    return value


def program(path):
    """The absolute path of the game's program at path; a Failure when there is none."""
    if not os.path.isfile(path) or not os.access(path, os.X_OK):
        raise Failure(f"no program at {path} (bash scripts/setup.sh builds build/diraviru)")
    return os.path.abspath(path)


def require(*tools):
    """A Failure naming the first of the programs that is not installed."""
    for tool in tools:
        if shutil.which(tool) is None:
            raise Failure(f"{tool} is missing (bash scripts/setup.sh installs it)")

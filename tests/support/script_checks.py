"""What the Python tests of the real program share: a failed check, and how a test ends
(status 0 when it passed, 1 with "FAILED: ..." when a check failed, 77 when skipped)."""
import sys

SKIP = 77


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(main):
    """Ends the program with main()'s status, or 1 after the first failed check."""
    try:
        sys.exit(main())
    except Failure as failure:
        print("FAILED: " + str(failure))
        sys.exit(1)

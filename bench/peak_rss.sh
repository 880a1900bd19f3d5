#!/usr/bin/env bash
# Peak resident memory of the real program: starts it in an Xvfb window with the heaviest
# settings (COSMO2 explosions of 9050 particles, a 9050-meteorite shower every second, item
# boxes on), sets all four players to COM, plays for a while and ends with Pause. Prints
# the peak RSS that /usr/bin/time reports. A run that goes wrong ends with one line saying
# what went wrong, and status 1.
# Usage: bench/peak_rss.sh <path to diraviru> [seconds of play, default 20]
set -euo pipefail
fail() { echo "peak_rss: $*" >&2; exit 1; }
[ $# -ge 1 ] && [ $# -le 2 ] || fail "usage: bench/peak_rss.sh <path to diraviru> [seconds of play]"
[ -f "$1" ] && [ -x "$1" ] || fail "no program at $1"
exe=$(realpath "$1")
seconds=${2:-20}
case $seconds in
  '' | *[!0-9]*) fail "seconds of play must be a whole number, not '$seconds'" ;;
esac
for tool in Xvfb xdotool /usr/bin/time; do
  command -v "$tool" > /dev/null || fail "$tool is missing (bash scripts/setup.sh installs it)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/diraviru-rss.XXXXXX")
# The server picks a free display itself and writes its number once it takes connections.
Xvfb -displayfd 3 -screen 0 1280x960x24 -nolisten tcp 3> "$work/display" > /dev/null 2>&1 &
server=$!
game=""
trap '[ -z "$game" ] || kill "$game" 2> /dev/null; kill "$server" 2> /dev/null; rm -rf "$work"' EXIT
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

# wait 1, items on, COSMO2; BOMB 16, COSMO 150, COSMO2 9050; meteorites on, every 1 s, 9050.
python3 -c '
import struct, sys
sys.stdout.buffer.write(b"1 1 2" + struct.pack("<3i", 16, 150, 9050) + b"1 1 9050")' \
  > "$work/dod_eved.dat"

(cd "$work" && exec /usr/bin/time -v -o "$work/time.txt" "$exe") &
game=$!
for _ in $(seq 200); do xdotool search --name DIRAVIRU > /dev/null 2>&1 && break; sleep 0.1; done
xdotool search --name DIRAVIRU > /dev/null 2>&1 || fail "the game showed no window"
key() { xdotool keydown "$1"; sleep 0.08; xdotool keyup "$1"; sleep 0.15; }
xdotool keydown ctrl; sleep 1; xdotool keyup ctrl           # the logo, unthrottled
for _ in 1 2 3 4; do key Down; key Return; done               # 1P..4P: MAN -> COM
for _ in 1 2 3 4; do key Up; done
key Return                                                    # START: the score table
key Return                                                    # the round
elapsed=0
while [ "$elapsed" -lt "$seconds" ]; do                       # next rounds as they end
  sleep 2; key Return; elapsed=$((elapsed + 2))
done
# DIRAVIRU_RSS_SHOT=<file.png> keeps a picture of the last moment of play.
if [ -n "${DIRAVIRU_RSS_SHOT:-}" ]; then xwd -root -silent | convert xwd:- "$DIRAVIRU_RSS_SHOT"; fi
key Pause
wait "$game" || true
game=""
grep -qE 'Exit status: 0$' "$work/time.txt" ||
  fail "the game did not end with status 0 on Pause: $(grep 'Exit status' "$work/time.txt" || true)"
grep -E 'Maximum resident set size|Elapsed' "$work/time.txt"

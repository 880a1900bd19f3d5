#!/usr/bin/env bash
# Peak resident memory of the real program: starts it in an Xvfb window with the heaviest
# settings (COSMO2 explosions of 9050 particles, a 9050-meteorite shower every second, item
# boxes on), sets all four players to COM, plays for a while and ends with Pause. Prints
# the peak RSS that /usr/bin/time reports.
# Usage: bench/peak_rss.sh <path to diraviru> [seconds of play, default 20]
set -euo pipefail
exe=$(realpath "$1")
seconds=${2:-20}
for tool in Xvfb xdotool /usr/bin/time; do
  command -v "$tool" > /dev/null || { echo "peak_rss: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/diraviru-rss.XXXXXX")
number=171
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1280x960x24 -nolisten tcp > /dev/null 2>&1 &
server=$!
trap 'kill "$server" 2> /dev/null; rm -rf "$work"' EXIT
export DISPLAY=":$number"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.05; done

# wait 1, items on, COSMO2; BOMB 16, COSMO 150, COSMO2 9050; meteorites on, every 1 s, 9050.
python3 -c '
import struct, sys
sys.stdout.buffer.write(b"1 1 2" + struct.pack("<3i", 16, 150, 9050) + b"1 1 9050")' \
  > "$work/dod_eved.dat"

(cd "$work" && /usr/bin/time -v -o "$work/time.txt" "$exe") &
game=$!
for _ in $(seq 200); do xdotool search --name DIRAVIRU > /dev/null 2>&1 && break; sleep 0.1; done
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
grep -E 'Maximum resident set size|Elapsed|Exit status' "$work/time.txt"

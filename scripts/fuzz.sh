#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs each one for a bounded time on a copy of its seed corpus, so the committed
# corpus never changes. A crash, a leak or a hang fails the run; its input is kept in
# <build-dir>/fuzz-artifacts for a regression test. The targets run as many at a time as
# there are cores (each is one process on one core, so each gets the same work done as
# alone). Then the writer of the replay reader's seeds runs once, into a scratch folder.
# Usage: scripts/fuzz.sh [build-dir] [seconds per target]   (defaults: build-fuzz, 30)
# Without clang this is a failure in CI (CI=true) and a skip elsewhere.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-fuzz}
seconds=${2:-30}
targets=(settings_fuzz char_bmp_fuzz replay_fuzz net_packet_fuzz keys_fuzz)
corpus_of() { echo "${1%_fuzz}"; }   # settings_fuzz -> fuzz/corpus/settings

if ! command -v clang++ > /dev/null; then
  if [ "${CI:-}" = "true" ]; then
    echo "fuzz: clang++ is missing" >&2
    exit 1
  fi
  echo "fuzz: clang++ is missing, skipping the fuzz targets"
  exit 0
fi
case $seconds in
  '' | *[!0-9]*) echo "fuzz: seconds per target must be a whole number, not '$seconds'" >&2; exit 1 ;;
esac

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DDIRAVIRU_FUZZ=ON -DDIRAVIRU_TESTS=OFF > /dev/null
cmake --build "$build" --target "${targets[@]}" make_replay_seeds

work=$(mktemp -d "${TMPDIR:-/tmp}/diraviru-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

# Runs one target on a copy of its corpus; its output goes to $work/<target>.log, its exit
# status to $work/<target>.status.
fuzz_one() {
  local target=$1 corpus status=0
  corpus="$work/$(corpus_of "$target")"
  cp -r "$root/fuzz/corpus/$(corpus_of "$target")" "$corpus"
  # -timeout: one input running longer than 10 s counts as a hang.
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" "$corpus" > "$work/$target.log" 2>&1 || status=$?
  echo "$status" > "$work/$target.status"
}

at_once=$(nproc)
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$at_once" ]; do wait -n || true; done
  echo "fuzz: $target for ${seconds}s"
  fuzz_one "$target" &
done
wait

for target in "${targets[@]}"; do
  if [ "$(cat "$work/$target.status")" != 0 ]; then
    tail -n 60 "$work/$target.log"
    echo "fuzz: $target FAILED; the input is in $artifacts" >&2
    exit 1
  fi
  grep -E '^Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
    "$work/$target.log" | sed "s/^/fuzz: $target: /"
done

mkdir "$work/replay-seeds"
"$build/fuzz/make_replay_seeds" "$work/replay-seeds"
echo "fuzz: make_replay_seeds wrote $(find "$work/replay-seeds" -type f | wc -l) seeds"

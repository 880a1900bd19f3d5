#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs each one for a bounded time on a copy of its seed corpus, so the committed
# corpus never changes. A crash, a leak or a hang fails the run; its input is kept in
# <build-dir>/fuzz-artifacts for a regression test.
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

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DDIRAVIRU_FUZZ=ON -DDIRAVIRU_TESTS=OFF > /dev/null
cmake --build "$build" --target "${targets[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/diraviru-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
for target in "${targets[@]}"; do
  corpus="$work/$(corpus_of "$target")"
  cp -r "$root/fuzz/corpus/$(corpus_of "$target")" "$corpus"
  echo "fuzz: $target for ${seconds}s"
  # -timeout: one input running longer than 10 s counts as a hang.
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$artifacts/$target-" "$corpus" > "$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log"
    echo "fuzz: $target FAILED; the input is in $artifacts" >&2
    exit 1
  fi
  grep -E '^Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
    "$work/$target.log" | sed "s/^/fuzz: $target: /"
done

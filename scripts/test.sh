#!/usr/bin/env bash
# Sets everything up, then builds and runs the whole test suite twice: a normal build, and
# a build with AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz target
# for a minute under both sanitizers (clang).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$root/scripts/setup.sh" "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

"$root/scripts/setup.sh" "$root/build-sanitize" -DDIRAVIRU_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$jobs"

"$root/scripts/fuzz.sh" "$root/build-fuzz" "${FUZZ_SECONDS:-60}"

#!/usr/bin/env bash
# Sets everything up, then builds and runs the whole test suite twice: a normal build (with
# the benchmarks and probes, so that CI notices when one of them stops building), and
# a build with AddressSanitizer and UndefinedBehaviorSanitizer; the web build's tests between
# them (Node.js and headless Chromium); then runs each fuzz target
# for 20 seconds under both sanitizers (clang). Ends with one line counting the tests of both
# builds.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
passed=0
failed=0

# Runs ctest on a build folder and adds its counts to the totals; stops on a failure.
run_tests() {
  local build=$1 log
  log=$(mktemp)
  local status=0
  ctest --test-dir "$build" --output-on-failure -j "$jobs" | tee "$log" || status=$?
  local summary
  summary=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  rm -f "$log"
  if [ -n "$summary" ]; then
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$summary")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  fi
  if [ "$status" -ne 0 ]; then
    echo "tests: $passed passed, $((failed > 0 ? failed : 1)) failed"
    exit "$status"
  fi
}

"$root/scripts/setup.sh" "$root/build" -DDIRAVIRU_BENCH=ON
run_tests "$root/build"

# The web build: the golden matches and the recorded replays under Node.js, the page in
# headless Chromium.
"$root/scripts/web.sh" --test-setup
run_tests "$root/build-web"

"$root/scripts/setup.sh" "$root/build-sanitize" -DDIRAVIRU_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests "$root/build-sanitize"

"$root/scripts/fuzz.sh" "$root/build-fuzz" "${FUZZ_SECONDS:-20}"

echo "tests: $passed passed, $failed failed"

#!/usr/bin/env bash
# Sets everything up, then builds and runs the whole test suite twice: a normal build (with
# the benchmarks and probes, so that CI notices when one of them stops building), and
# a build with AddressSanitizer and UndefinedBehaviorSanitizer; the web build's tests between
# them (Node.js and headless Chromium); then the tests of the parts that run threads under
# ThreadSanitizer; then runs each fuzz target for 20 seconds under both sanitizers (clang).
# Ends with one line counting the tests of all the builds.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
passed=0
failed=0

# Runs ctest on a build folder (further arguments go to ctest) and adds its counts to the
# totals; stops on a failure.
run_tests() {
  local build=$1 log
  shift
  log=$(mktemp)
  local status=0
  ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@" | tee "$log" || status=$?
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

# The parts that run threads, under ThreadSanitizer: the SDL backend's hand-over between the
# game's thread and the main thread (the picture mailbox, the platform, the pads), the network
# session, and network matches of the whole program (four machines; three of which one falls
# silent). Only the two test programs are built; any report fails the run.
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DDIRAVIRU_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$root/build-tsan" --target sdl_backend_tests net_tests
tsan_tests='^(PictureMailbox|SdlPlatform|SdlPads|Session)\.|^NetPlay\.ARefused|/(FourMachines|SilentGuest)( |$)'
TSAN_OPTIONS=halt_on_error=1 run_tests "$root/build-tsan" -R "$tsan_tests"

"$root/scripts/fuzz.sh" "$root/build-fuzz" "${FUZZ_SECONDS:-20}"

echo "tests: $passed passed, $failed failed"

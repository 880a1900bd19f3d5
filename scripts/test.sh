#!/usr/bin/env bash
# The README's test command, and what CI runs on a clean clone (.ci/run). Sets everything up,
# then runs the steps listed at the end: after the first build, the other builds in a lane of
# their own beside the tests (see builds_lane). Each step prints its name as it starts and its
# time as it ends; the run ends with a table of every step's time and one line counting the
# tests, or stops at the first step that fails and names it.
#
# The whole run must stay under 12 minutes on two cores: a new step is a function here and a
# line in the list at the end, and its time (from this script's table) goes in the commit
# message. FUZZ_SECONDS sets the seconds per fuzz target (20).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
passed=0
failed=0

# Runs ctest on a build folder with the given extra options and adds its counts to the
# totals; a failure ends the run. A test that fails is run once more before it counts as
# failed, and both runs stay in the log: the window test of start-up failed once in a clean
# clone's run (its game found no display in the full-disk case) and passed on every run since;
# until that is understood a second failure, not the first, fails the run. A test that fails
# now and then is a fault to mend, not to hide behind this.
run_tests() {
  local build=$1 log status=0 summary
  shift
  log=$(mktemp)
  ctest --test-dir "$build" --output-on-failure --repeat until-pass:2 "$@" | tee "$log" || status=$?
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
    return "$status"
  fi
}

# --- the steps ------------------------------------------------------------------------------

# The normal build, with the benchmarks and probes: every target the project has.
build() { "$root/scripts/setup.sh" "$root/build" -DDIRAVIRU_BENCH=ON; }

# Its tests, the runs of the documented commands aside.
tests() { run_tests "$root/build" -j "$jobs" -LE commands; }

# Every command the README and HACKING.md give, once, in its quickest form (tests/commands).
# They mostly wait (on a virtual display, on the network's delays, on a round's clock), so
# more of them run at once than there are cores.
commands() { run_tests "$root/build" -j $((4 * jobs)) -L commands; }

# The web build (Emscripten) and its tests: the golden matches and the recorded replays under
# Node.js, the page in headless Chromium.
web_build() { "$root/scripts/web.sh" --test-setup; }
web_tests() { run_tests "$root/build-web" -j "$jobs"; }

# The build with AddressSanitizer and UndefinedBehaviorSanitizer, and its tests but those of
# the installed files and the package (install_*: where files go and what the package holds,
# which the normal build's tests have checked, and half a minute under the sanitizers).
sanitize_build() {
  "$root/scripts/setup.sh" "$root/build-sanitize" -DDIRAVIRU_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
}
sanitize_tests() {
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests "$root/build-sanitize" \
    -j "$jobs" -E '^install_'
}

# The parts that run threads, under ThreadSanitizer: the SDL backend's hand-over between the
# game's thread and the main thread (the picture mailbox, the platform, the pads), the network
# session, and network matches of the whole program (four machines; three of which one falls
# silent). Only their two test programs are built; any report fails the run.
tsan_build() {
  cmake -S "$root" -B "$root/build-tsan" -G Ninja -DDIRAVIRU_TSAN=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null &&
    cmake --build "$root/build-tsan" --target sdl_backend_tests net_tests
}
tsan_tests() {
  local threaded='^(PictureMailbox|SdlPlatform|SdlPads|Session)\.|^NetPlay\.ARefused'
  threaded+='|/(FourMachines|SilentGuest)( |$)'
  TSAN_OPTIONS=halt_on_error=1 run_tests "$root/build-tsan" -j "$jobs" -R "$threaded"
}

# Each fuzz target for FUZZ_SECONDS under both sanitizers (clang), and the writer of the replay
# reader's seeds.
fuzz() { "$root/scripts/fuzz.sh" "$root/build-fuzz" "${FUZZ_SECONDS:-20}"; }

# One mutant of scripts/mutants.txt (a rule broken on purpose: the settings file written with
# a blank too many), which the tests must kill; in place, in the normal build just tested.
mutant() {
  local name=settings-group-trailing-blank log
  log=$(mktemp)
  python3 "$root/scripts/mutants.py" "$root/build" --in-place --skip-xvfb --only "$name" | tee "$log"
  if ! grep -qE "^$name +KILLED" "$log"; then
    echo "mutant: the tests did not kill $name"
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
}

# --- running them ---------------------------------------------------------------------------

step_times=()
current_step=""
step_started=0
lanes=$(mktemp -d "${TMPDIR:-/tmp}/diraviru-test.XXXXXX")
builds_pid=""

# The processor seconds (user and system) the programs this shell ran and waited for have used
# so far, in cpu_used. (The shell's own `times`, read without a subshell, whose counts start at
# zero.)
read_cpu_used() {
  local file
  file=$(mktemp)
  times > "$file"
  cpu_used=$(awk 'NR == 2 { for (i = 1; i <= 2; i++) { split($i, t, /[ms]/); s += t[1] * 60 + t[2] } }
                  END { printf "%d", s }' "$file")
  rm -f "$file"
}

ending() {
  local status=$?
  if [ "$status" -ne 0 ] && [ -n "$current_step" ]; then
    echo "=== step '$current_step' FAILED after $((SECONDS - step_started)) s (status $status)"
  fi
  [ -z "$builds_pid" ] || kill -- "-$builds_pid" 2> /dev/null || true
  rm -rf "$lanes"
}
trap ending EXIT

# step NAME COMMAND...: runs the command as a named step, timed on the clock and in processor
# seconds (the second is what the step costs whatever else the machine is doing).
step() {
  current_step=$1
  shift
  step_started=$SECONDS
  local cpu_before
  read_cpu_used
  cpu_before=$cpu_used
  echo "=== step '$current_step'"
  "$@" || return
  read_cpu_used
  local line
  line=$(printf '%-16s %5d s, %5d s of processor time' "$current_step" \
    $((SECONDS - step_started)) $((cpu_used - cpu_before)))
  echo "=== step $line"
  echo "$line" >> "$lanes/times"
  current_step=""
}

# The builds after the first keep both cores busy, while the tests mostly wait (on a virtual
# display, on the network's delays, on a round's clock): the builds run one after the other
# in a lane of their own, beside the tests of what is built already. Each build's output goes
# to its log, shown when a test step first needs that build; a test step waits for its build.
# (The mutant mutates the sources in place, so it runs before the builds begin.)
build_in_lane() {
  local name=$1
  shift
  if step "$name" "$@" > "$lanes/$name.log" 2>&1; then
    touch "$lanes/$name.done"
  else
    touch "$lanes/$name.failed"
    return 1
  fi
}
builds_lane() {
  set -e
  build_in_lane "sanitize build" sanitize_build
  build_in_lane "tsan build" tsan_build
  build_in_lane "web build" web_build
  build_in_lane "fuzz" fuzz
}
wait_for_build() {
  local name=$1
  echo "=== waiting for the step '$name' of the builds' lane"
  while [ ! -e "$lanes/$name.done" ] && [ ! -e "$lanes/$name.failed" ]; do sleep 1; done
  cat "$lanes/$name.log"
  if [ -e "$lanes/$name.failed" ]; then
    echo "=== step '$name' FAILED (its log is above)"
    exit 1
  fi
}

step "build" build
step "mutant" mutant
set -m
builds_lane &
builds_pid=$!
set +m
step "tests" tests
step "commands" commands
wait_for_build "sanitize build"
step "sanitize tests" sanitize_tests
wait_for_build "tsan build"
step "tsan tests" tsan_tests
wait_for_build "web build"
step "web tests" web_tests
wait_for_build "fuzz"
wait "$builds_pid"
builds_pid=""

read_cpu_used
echo "=== the steps' times (sanitize, tsan and web build and fuzz beside the tests)"
cat "$lanes/times"
printf '%-16s %5d s, %5d s of processor time\n' "total" "$SECONDS" "$cpu_used"
echo "tests: $passed passed, $failed failed"

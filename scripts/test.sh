#!/usr/bin/env bash
# Builds everything and runs the whole test suite:
#   1. the unit tests and the window tests in an optimised build (the window tests under a
#      virtual X display this script starts);
#   2. the unit tests and the window tests again under AddressSanitizer and
#      UndefinedBehaviorSanitizer;
#   3. the tests of the threaded parts under ThreadSanitizer;
#   4. a check that no process the run started is left;
#   5. the fuzz targets, a few seconds each.
# The sanitizer and fuzz builds run in the background at idle priority while the optimised build
# and the window tests run, so the test command takes little longer than its builds.
# The benchmarks are built (not run) so that they keep compiling; run them from build/release/bench.
#
# Every process the run starts ends with it, on success, on failure and on Ctrl+C, SIGINT or
# SIGTERM: each carries a mark in its environment (LIBTQ_TEST_RUN), so that those a test left
# behind, whose parent has gone, are found as well as the script's own children.
set -euo pipefail
cd "$(dirname "$0")/.."

export LIBTQ_TEST_RUN="$$.$(date +%s%N)"

# The processes carrying this run's mark, except this shell and the subshell asking.
marked_processes() {
  local dir entry
  for dir in /proc/[0-9]*; do
    [ "${dir#/proc/}" = "$$" ] || [ "${dir#/proc/}" = "$BASHPID" ] && continue
    while IFS= read -r -d '' entry; do
      if [ "$entry" = "LIBTQ_TEST_RUN=$LIBTQ_TEST_RUN" ]; then
        echo "${dir#/proc/}"
        break
      fi
    done 2>/dev/null <"$dir/environ" || true
  done
}

end_marked_processes() {
  local pids
  pids=$(marked_processes)
  [ -n "$pids" ] || return 0
  # shellcheck disable=SC2086
  kill -TERM $pids 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
    sleep 0.1
    pids=$(marked_processes)
    [ -n "$pids" ] || return 0
  done
  # shellcheck disable=SC2086
  kill -KILL $pids 2>/dev/null || true
}

on_exit() {
  local status=$?
  trap - EXIT INT TERM
  end_marked_processes
  exit "$status"
}
trap on_exit EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Runs a command in the background and waits for it, so that a signal to this script is acted on
# at once instead of after the command.
run() {
  "$@" &
  wait $!
}

run scripts/deps.sh test
jobs=$(nproc)

configure_and_build() {  # folder, target ("all" for everything), extra cmake arguments...
  local dir=$1; shift
  local targets=()
  while [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; do targets+=(--target "$1"); shift; done
  run cmake -S . -B "$dir" "$@" >/dev/null && run cmake --build "$dir" -j"$jobs" "${targets[@]}"
}

build_asan() {
  configure_and_build build/asan libtq_tests libtq_e2e \
    -DCMAKE_BUILD_TYPE=Debug -DLIBTQ_SANITIZE=address,undefined -DLIBTQ_BENCH=OFF
}
build_tsan() {
  configure_and_build build/tsan libtq_threaded_tests -DCMAKE_BUILD_TYPE=Debug -DLIBTQ_SANITIZE=thread -DLIBTQ_BENCH=OFF
}
build_fuzz() { scripts/fuzz.sh 0; }

# The sanitizer and fuzz builds run one after another in the background from the start, at idle
# priority: they take only the processor time that the optimised build and the window tests
# (which run one at a time and mostly wait for the window) leave. Each build's output is kept in
# build/NAME.log and its exit status in build/NAME.status until the run needs it.
background_names=(asan tsan fuzz)
mkdir -p build
for name in "${background_names[@]}"; do rm -f "build/$name.log" "build/$name.status"; done
(
  chrt --idle -p 0 "$BASHPID" >/dev/null 2>&1 || renice -n 19 -p "$BASHPID" >/dev/null 2>&1 || true
  for name in "${background_names[@]}"; do
    status=0
    "build_$name" >"build/$name.log" 2>&1 || status=$?
    echo "$status" >"build/$name.status"
    [ "$status" -eq 0 ] || exit "$status"
  done
) &
background_pid=$!

# Waits for a background build, shows its output and stops the run if it failed.
wait_for_build() {  # name
  while [ ! -s "build/$1.status" ] && kill -0 "$background_pid" 2>/dev/null; do sleep 1; done
  cat "build/$1.log" 2>/dev/null || true
  local status
  status=$(cat "build/$1.status" 2>/dev/null || echo 1)
  if [ "$status" -ne 0 ]; then
    echo "the build in build/$1.log failed" >&2
    exit 1
  fi
  echo "== $1 build done (at ${SECONDS} s)"
}

echo "== optimised build (at ${SECONDS} s)"
configure_and_build build/release all -DCMAKE_BUILD_TYPE=RelWithDebInfo

# A virtual display for the window tests, started here so that nothing assumes a desktop.
# shellcheck source=scripts/virtual_display.sh
. scripts/virtual_display.sh
start_virtual_display

echo "== tests (at ${SECONDS} s)"
run ctest --test-dir build/release --output-on-failure -j"$jobs"

wait_for_build asan
# The window tests that measure the window's timings, or compare the OpenGL driver's pixels, run
# in the optimised build only: under the sanitizers their figures mean nothing, and the code they
# go through is the presentation every other window test runs.
echo "== unit and window tests under AddressSanitizer and UndefinedBehaviorSanitizer (at ${SECONDS} s)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run ctest --test-dir build/asan --output-on-failure -j"$jobs" -L 'unit|e2e' -E '^(Responsiveness|Placements/Multisampling)\.'

wait_for_build tsan
echo "== threaded tests under ThreadSanitizer (at ${SECONDS} s)"
TSAN_OPTIONS=halt_on_error=1 run ctest --test-dir build/tsan --output-on-failure -j"$jobs" -L threaded -R Threaded

wait_for_build fuzz

echo "== nothing left running (at ${SECONDS} s)"
end_virtual_display
wait "$virtual_display_pid" || true
left=$(marked_processes)
if [ -n "$left" ]; then
  echo "These processes of the test run are still running:" >&2
  # shellcheck disable=SC2086
  ps -o pid=,args= -p $left >&2 || true
  exit 1
fi

# ---- fuzzing ------------------------------------------------------------------------------------
# Each libFuzzer target runs 4 s from its seed corpus, two at a time; a finding fails
# the run. Longer runs: scripts/fuzz.sh SECONDS.
echo "== fuzz targets (at ${SECONDS} s)"
scripts/fuzz.sh 4
# ---- end of fuzzing -----------------------------------------------------------------------------

echo "== all tests passed (at ${SECONDS} s)"

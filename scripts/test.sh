#!/usr/bin/env bash
# Builds everything and runs the whole test suite:
#   1. the unit tests and the window tests in an optimised build (the window tests under a
#      virtual X display this script starts);
#   2. the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the tests of the threaded parts under ThreadSanitizer.
# The benchmarks are built (not run) so that they keep compiling; run them from build/release/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)

configure_and_build() {  # folder, target ("all" for everything), extra cmake arguments...
  local dir=$1 target=$2; shift 2
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs" --target "$target"
}

echo "== optimised build"
configure_and_build build/release all -DCMAKE_BUILD_TYPE=RelWithDebInfo

# A virtual display for the window tests, started here so that nothing assumes a desktop.
display_number=$((90 + RANDOM % 400))
Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do
  [ -e "/tmp/.X11-unix/X$display_number" ] && break
  sleep 0.1
done

echo "== tests"
DISPLAY=":$display_number" ctest --test-dir build/release --output-on-failure -j"$jobs"

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
configure_and_build build/asan libtq_tests -DCMAKE_BUILD_TYPE=Debug -DLIBTQ_SANITIZE=address,undefined -DLIBTQ_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j"$jobs" -L unit

echo "== threaded tests under ThreadSanitizer"
configure_and_build build/tsan libtq_tests -DCMAKE_BUILD_TYPE=Debug -DLIBTQ_SANITIZE=thread -DLIBTQ_BENCH=OFF
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -j"$jobs" -R Threaded

# ---- fuzzing ------------------------------------------------------------------------------------
# Each libFuzzer target runs 12 s from its seed corpus (the seven together 84 s); a finding fails
# the run. Longer runs: scripts/fuzz.sh SECONDS.
echo "== fuzz targets"
scripts/fuzz.sh 12
# ---- end of fuzzing -----------------------------------------------------------------------------

echo "== all tests passed"

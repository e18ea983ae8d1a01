#!/usr/bin/env bash
# The close-at-any-moment window test in a loop: N runs (default 100), each closing the window
# once at every moment the test knows (fixed times after start, SLEEP, the END wait, an error box,
# the RANDOMIZE prompt), in the AddressSanitizer and UndefinedBehaviorSanitizer build and under a
# virtual display of its own. Prints the number of runs that passed and fails unless all did.
# Usage: scripts/close_loop.sh [N] [BUILD_FOLDER]   (BUILD_FOLDER defaults to build/asan)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-100}
build=${2:-build/asan}

scripts/deps.sh test
if [ "$build" = build/asan ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DLIBTQ_SANITIZE=address,undefined -DLIBTQ_BENCH=OFF >/dev/null
else
  cmake -S . -B "$build" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target libtq_e2e >/dev/null

# shellcheck source=scripts/virtual_display.sh
. scripts/virtual_display.sh
log=$(mktemp)
times=$(mktemp)
test_pid=
trap 'end_virtual_display; [ -z "$test_pid" ] || kill "$test_pid" 2>/dev/null || true; rm -f "$log" "$times"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
start_virtual_display
export CLOSE_ROUNDS=1
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1

passed=0
for run in $(seq 1 "$runs"); do
  # In the background, so that Ctrl+C or SIGTERM ends the loop at once rather than after the run.
  "$build/tests/e2e/libtq_e2e" --gtest_filter='Moments/CloseAtAnyMoment.*' >"$log" 2>&1 </dev/null &
  test_pid=$!
  if wait "$test_pid"; then
    passed=$((passed + 1))
  else
    echo "run $run failed:"
    grep -E -A8 'Failure|FAILED' "$log" | head -40
  fi
  # With one round per moment, each line's median is that close's time.
  sed -n 's/^close request to exit: median \([0-9]*\) ms.*/\1/p' "$log" >>"$times"
done
echo "close at any moment: $passed of $runs runs passed"
sort -n "$times" | awk '{ t[NR] = $1 } END {
  if (NR) printf "close request to exit over %d closes: median %d ms, 95th percentile %d ms, longest %d ms\n",
    NR, t[int((NR + 1) / 2)], t[int(NR * 0.95 + 0.5)], t[NR] }'
[ "$passed" -eq "$runs" ]

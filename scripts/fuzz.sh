#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (clang, with the address and undefined-behaviour
# sanitizers) in build/fuzz and runs each for SECONDS seconds, as many at a time as there are
# processors.
#   Usage: scripts/fuzz.sh SECONDS [TARGET...]     (all targets when none is named)
# With 0 seconds the targets are only built.
# Each target starts from its committed seeds (tests/fuzz/corpus/TARGET) and from what earlier runs
# found (build/fuzz/corpus/TARGET, kept between runs). A finding is saved as
# build/fuzz/findings/TARGET-crash-... (run the target on that file to see it again) and makes the
# script end with status 1. The fuzzer's output of each target is in build/fuzz/TARGET.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
all_targets=(fuzz_data fuzz_number_text fuzz_print fuzz_statements fuzz_keys fuzz_log fuzz_symbols)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi

scripts/deps.sh test
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIBTQ_FUZZ=ON \
  -DLIBTQ_TESTS=OFF -DLIBTQ_BENCH=OFF >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target "${targets[@]}"
[ "$seconds" != 0 ] || exit 0

# The longest input each target takes: an ELF file needs room, a statement sequence some.
max_len() {
  case $1 in
    fuzz_symbols) echo 16384 ;;
    fuzz_statements | fuzz_print) echo 2048 ;;
    *) echo 1024 ;;
  esac
}

# Runs one target; its exit status goes to build/fuzz/TARGET.status.
fuzz_target() {
  local target=$1 status=0
  mkdir -p "build/fuzz/corpus/$target"
  # An input that runs 10 s is a hang; the runtime's own memory stays far below the limit.
  "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=10 \
    -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="build/fuzz/findings/$target-" \
    "build/fuzz/corpus/$target" "tests/fuzz/corpus/$target" >"build/fuzz/$target.log" 2>&1 || status=$?
  echo "$status" >"build/fuzz/$target.status"
}

# The targets run as many at a time as there are processors (each fuzzer uses one).
mkdir -p build/fuzz/findings
parallel=$(nproc)
for target in "${targets[@]}"; do
  rm -f "build/fuzz/$target.status"
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  fuzz_target "$target" &
done
wait

failed=()
for target in "${targets[@]}"; do
  status=$(cat "build/fuzz/$target.status" 2>/dev/null || echo 1)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "build/fuzz/$target.log" | tail -1)
  if [ "$status" -eq 0 ]; then
    echo "$target: ${runs:-?} executions in ${seconds} s, no finding"
  else
    echo "$target: FINDING after ${runs:-?} executions (status $status); see build/fuzz/$target.log" >&2
    grep -E 'fuzz finding|ERROR:|SUMMARY:|runtime error' "build/fuzz/$target.log" | head -5 >&2 || true
    failed+=("$target")
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz findings in: ${failed[*]}" >&2; exit 1; }

#!/usr/bin/env bash
# Builds the runtime and runs a program on it:
#   scripts/demo.sh                    the demo (tqx)
#   scripts/demo.sh path/to/prog.bas   tqc compiles the program in the dialect, which then runs
# Arguments after the program go to it.
set -euo pipefail
program=""
if [ $# -gt 0 ] && [[ "$1" == *.bas ]]; then
  [ -r "$1" ] || { echo "$0: cannot read $1" >&2; exit 1; }
  program=$(realpath "$1")
  shift
fi
cd "$(dirname "$0")/.."
scripts/deps.sh demo
cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=Release -DLIBTQ_TESTS=OFF -DLIBTQ_BENCH=OFF >/dev/null
if [ -z "$program" ]; then
  cmake --build build/demo --target tqx -j"$(nproc)"
  exec build/demo/tqx "$@"
fi
cmake --build build/demo --target tqc -j"$(nproc)"
mkdir -p build/demo/programs
executable=build/demo/programs/$(basename "$program" .bas)
build/demo/tqc/tqc "$program" -o "$executable"
exec "$executable" "$@"

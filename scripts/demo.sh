#!/usr/bin/env bash
# Builds the runtime and the demo, then runs the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh demo
cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=Release -DLIBTQ_TESTS=OFF -DLIBTQ_BENCH=OFF >/dev/null
cmake --build build/demo --target tqx -j"$(nproc)"
exec build/demo/tqx "$@"

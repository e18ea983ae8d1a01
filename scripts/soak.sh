#!/usr/bin/env bash
# The soak: the demo under its own virtual display, Shift pressed PRESSES times (default 5000),
# then left alone IDLE_SECONDS (default 600). Prints the figures (frames per press, frames left
# alone, resident memory, the log at WARN and above) and fails when one is off. Not part of the
# test command: it takes over ten minutes.
# Usage: scripts/soak.sh [PRESSES] [IDLE_SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
presses=${1:-5000}
idle_seconds=${2:-600}

scripts/deps.sh test
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$(nproc)" --target tqx soak_driver >/dev/null

# shellcheck source=scripts/virtual_display.sh
. scripts/virtual_display.sh
trap end_virtual_display EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
start_virtual_display

build/release/tests/e2e/soak_driver build/release/tqx "$presses" "$idle_seconds" &
wait $!

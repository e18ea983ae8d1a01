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

display_file=$(mktemp)
xvfb_pid=
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -f "$display_file"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
[ -s "$display_file" ] || { echo "Xvfb did not start" >&2; exit 1; }

DISPLAY=":$(head -n1 "$display_file")" build/release/tests/e2e/soak_driver build/release/tqx "$presses" "$idle_seconds" &
wait $!

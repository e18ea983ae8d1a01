#!/usr/bin/env bash
# Makes sure the Debian packages a build needs are installed. Usage: deps.sh demo|test
# As root, missing packages are installed with apt-get; otherwise the script names them and fails.
set -euo pipefail

build_packages=(g++ cmake make pkg-config freeglut3-dev libglew-dev libglu1-mesa-dev libgl1-mesa-dev
                libgl1-mesa-dri libx11-dev libxtst-dev x11-utils)
# clang and its runtime libraries build the fuzz targets (libFuzzer, the sanitizers).
test_packages=(googletest libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool clang libclang-rt-14-dev)

wanted=("${build_packages[@]}")
if [ "${1:-demo}" = test ]; then wanted+=("${test_packages[@]}"); fi

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "These Debian packages are missing: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi

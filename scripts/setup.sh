#!/usr/bin/env bash
# Installs what DIRAVIRU needs from Debian's packages (only what is missing) and builds it.
# Usage: scripts/setup.sh [build-dir] [extra cmake options...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
shift || true

packages=(
  cmake ninja-build g++ pkg-config                   # the build
  libsdl2-dev libx11-dev                             # the runtime libraries: SDL, X under it
  libgtest-dev libgmock-dev libbenchmark-dev         # tests and benchmarks
  libenet-dev                                        # network play
  clang libclang-rt-14-dev                           # fuzzers
  xvfb xdotool x11-apps imagemagick python3          # the end-to-end test in a real window
  time                                               # /usr/bin/time, for bench/peak_rss.sh
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" > /dev/null
cmake --build "$build"

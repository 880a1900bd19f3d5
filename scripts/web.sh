#!/usr/bin/env bash
# The game in a web browser: installs what the web build needs from Debian's packages (only
# what is missing), builds the page into build-web/ with Emscripten and serves it on
# http://127.0.0.1:8000/.
# Usage: scripts/web.sh [--no-serve | --test | --test-setup]
#   --no-serve    only build
#   --test        build, then run the web build's tests: the golden matches and the recorded
#                 replays under Node.js, and the page in headless Chromium
#   --test-setup  build and set up what the tests need, without running them (scripts/test.sh
#                 runs them with the rest)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-web
serve=1
tests=0  # 1: set the tests up, 2: and run them
for argument in "$@"; do
  case $argument in
    --no-serve) serve=0 ;;
    --test) serve=0; tests=2 ;;
    --test-setup) serve=0; tests=1 ;;
    *) echo "usage: scripts/web.sh [--no-serve | --test | --test-setup]" >&2; exit 2 ;;
  esac
done

packages=(emscripten cmake ninja-build googletest python3)
[ "$tests" -eq 0 ] || packages+=(chromium)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
# npm comes with some builds of Node.js (and then Debian's npm package would clash with it).
[ "$tests" -eq 0 ] || command -v npm > /dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

# Debian's Emscripten runs its JavaScript tools with Node.js modules from Debian's packages:
# find their folder from the package that holds the one it needs first.
if [ -z "${NODE_PATH:-}" ]; then
  acorn=$(dpkg -L node-acorn 2>/dev/null | grep -m1 '/acorn/package.json$' || true)
  [ -n "$acorn" ] || { echo "web.sh: Node.js module folder of node-acorn not found" >&2; exit 1; }
  NODE_PATH=$(dirname "$(dirname "$acorn")")
  export NODE_PATH
fi

emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build"

# The browser test drives Chromium with puppeteer-core, at the version package-lock.json names.
if [ "$tests" -ge 1 ]; then
  (cd "$root/tests/web" && npm ci --no-audit --no-fund --silent)
fi
if [ "$tests" -eq 2 ]; then
  ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
fi

if [ "$serve" -eq 1 ]; then
  echo "DIRAVIRU: http://127.0.0.1:8000/ (Ctrl+C stops serving)"
  exec python3 -m http.server 8000 --bind 127.0.0.1 --directory "$build"
fi

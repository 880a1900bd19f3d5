#!/usr/bin/env bash
# Sets everything up, builds, and starts the game full-screen.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" "$root/build"
cd "$root"
exec "$root/build/diraviru"

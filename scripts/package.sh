#!/usr/bin/env bash
# Builds the game's Debian package into build-package/ (diraviru_VERSION_ARCH.deb) from a
# release build of its own (build-package/build), installs what that needs from Debian's
# packages when it is missing, and checks the package with lintian: an error fails.
# Install it with: sudo apt-get install ./build-package/diraviru_VERSION_ARCH.deb
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$root/build-package

source "$root/scripts/debian_packages.sh"
install_missing cmake ninja-build g++ pkg-config libsdl2-dev libx11-dev libenet-dev libpng-dev \
  dpkg-dev file lintian

# Built with Debian's hardening flags, as Debian builds its own packages.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S "$root" -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDIRAVIRU_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" > /dev/null
cmake --build "$out/build"
rm -f "$out"/*.deb
(cd "$out/build" && cpack -B "$out")
rm -rf "$out/_CPack_Packages"
deb=$(ls "$out"/*.deb)
lintian --fail-on error "$deb"
echo "package: $deb"

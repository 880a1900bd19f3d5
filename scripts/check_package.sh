#!/usr/bin/env bash
# Installs the game's Debian package on a fresh Debian 12 and plays it there: the package
# (build-package/diraviru_*.deb, made by scripts/package.sh when missing) goes with apt-get into
# a minimal Debian made with debootstrap in build-package/deb12 (kept for the next run), and
# the game starts twice from its desktop entry's Exec line in a new user's home folder, on
# this machine's Xvfb: the first time it changes an option, the second it must find it kept
# in ~/.local/share/diraviru, with nothing else written to the home folder. Needs root (for
# debootstrap, the mounts and chroot) and Debian's registry; a few minutes the first time,
# about half a minute after that. Not part of CI.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$root/build-package
debian=$out/deb12

source "$root/scripts/debian_packages.sh"
install_missing debootstrap xvfb xdotool python3
ls "$out"/diraviru_*.deb > /dev/null 2>&1 || bash "$root/scripts/package.sh"
deb=$(ls "$out"/diraviru_*.deb | head -n 1)

if [ ! -x "$debian/usr/bin/apt-get" ]; then
  rm -rf "$debian"
  debootstrap --variant=minbase bookworm "$debian" http://deb.debian.org/debian
fi

# A copy of the fresh system for this run, so that every run starts without the game.
system=$(mktemp -d "$out/system.XXXXXX")
mounted=()
cleanup() {
  local m
  for m in "${mounted[@]}"; do umount "$m" || true; done
  rm -rf --one-file-system "$system"
}
trap cleanup EXIT
cp -a "$debian/." "$system/"
for m in proc dev tmp/.X11-unix; do
  mkdir -p "$system/$m"
  mount --bind "/$m" "$system/$m"
  mounted=("$system/$m" "${mounted[@]}")
done
cp /etc/resolv.conf "$system/etc/resolv.conf"
cp "$deb" "$system/tmp/"
chroot "$system" /usr/bin/env DEBIAN_FRONTEND=noninteractive apt-get update -qq
chroot "$system" /usr/bin/env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")"
chroot "$system" useradd --home-dir /home/player player  # with an empty home folder
mkdir -p "$system/home/player"
chroot "$system" chown player: /home/player
echo "installed: $(chroot "$system" dpkg-query -W diraviru)"
python3 "$root/tests/install/install_test.py" chroot "$system" "$system/home/player"
echo "the installed game kept its settings in ~/.local/share/diraviru; nothing else in the home folder"

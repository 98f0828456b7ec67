#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12. Safe to run again: quick when all is present.
set -euo pipefail

packages=(
  cmake ninja-build g++ libarchive-dev libz-mingw-w64-dev dpkg-dev xz-utils
  g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
  wine wine64 wine32:i386
  xvfb xauth imagemagick fonts-wine fonts-liberation fonts-comic-neue
  doctest-dev
  p7zip-full unar icoutils
  python3 libarchive-tools libpalm-pdb-perl liblnk-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

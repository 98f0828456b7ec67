#!/usr/bin/env bash
# Builds kestrin-files with the host's compiler into BUILD_DIR (BUILD_DIR/kestrin-files), installing
# what it needs on Debian first.
# Usage: build-native.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
packages=(cmake ninja-build g++ libarchive-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
cmake -S "$root/files" -B "$1" -G Ninja >/dev/null
cmake --build "$1"

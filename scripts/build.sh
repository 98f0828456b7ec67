#!/usr/bin/env bash
# Configures and builds every binary into BUILD/bin (default build/), and the host's kestrin-files
# into BUILD/native.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
"$root/scripts/build-native.sh" "$build/native"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"

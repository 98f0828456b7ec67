#!/usr/bin/env bash
# Configures and builds every binary into BUILD/bin (default build/), and the host's kestrin-files
# into BUILD/native. The Windows kestrin-files.exe links a libarchive cross-built into
# BUILD/mingw-libarchive (once; later builds reuse it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
"$root/scripts/build-native.sh" "$build/native"
"$root/scripts/build-mingw-libarchive.sh" "$build/mingw-libarchive"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
  -DKESTRIN_MINGW_LIBARCHIVE="$build/mingw-libarchive" >/dev/null
cmake --build "$build" -j"$(nproc)"

#!/usr/bin/env bash
# kestrin-files on this host:
#  - pack and unpack of a 64 MiB file as a ratio to `cp` of the same bytes (target >= 0.8)
#  - peak memory of packing and unpacking 1 MiB against 64 MiB (target: flat, less than 1 MiB apart)
# Usage: bench/files.sh [BUILD_DIR]   (default: build). Builds the host's tool into BUILD_DIR/native.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$source_dir/build}
"$source_dir/scripts/build-native.sh" "$build/native" >/dev/null
tool="$build/native/kestrin-files"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c 64M /dev/urandom >"$work/big.bin"
head -c 1M /dev/urandom >"$work/small.bin"

# Fastest of 5 runs, in seconds.
fastest() {
  local best=""
  for _ in 1 2 3 4 5; do
    rm -rf "$work/out" "$work/copy.bin"
    [ "$1" = unpack ] && mkdir -p "$work/out"
    local start end
    start=$(date +%s.%N)
    case $1 in
      cp) cp "$work/big.bin" "$work/copy.bin" ;;
      pack) "$tool" pack "$work/big.bin" -o "$work/out" >/dev/null ;;
      unpack) "$tool" unpack "$work/packed/big.bin.pdb" -o "$work/out" >/dev/null ;;
    esac
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
  done
  echo "$best"
}
"$tool" pack "$work/big.bin" -o "$work/packed" >/dev/null
cp_time=$(fastest cp)
pack_time=$(fastest pack)
unpack_time=$(fastest unpack)
echo "== 64 MiB (fastest of 5 runs each)"
printf 'cp:      %.3f s\n' "$cp_time"
printf 'pack:    %.3f s   speed / cp: %.2f (target >= 0.8)\n' "$pack_time" "$(awk "BEGIN { print $cp_time / $pack_time }")"
printf 'unpack:  %.3f s   speed / cp: %.2f (target >= 0.8)\n' "$unpack_time" "$(awk "BEGIN { print $cp_time / $unpack_time }")"

# Peak resident memory in KiB.
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
echo "== peak memory"
for size in small big; do
  rm -rf "$work/out"
  pack_kib=$(peak "$tool" pack "$work/$size.bin" -o "$work/out")
  unpack_kib=$(peak "$tool" unpack "$work/out/$size.bin.pdb" -o "$work/out/back")
  echo "$size ($(stat -c %s "$work/$size.bin") bytes): pack ${pack_kib} KiB, unpack ${unpack_kib} KiB"
done

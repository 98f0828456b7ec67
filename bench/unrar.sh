#!/usr/bin/env bash
# unrar.dll benchmark, under Wine:
#  - extraction of a 64 MiB stored entry as a ratio to CopyFileA of the same bytes (target >= 0.5)
#  - peak memory of extracting a 1 MiB against a 64 MiB entry (target: flat, less than 1 MiB apart)
# Usage: bench/unrar.sh [BUILD_DIR]   (default: build). Builds what it needs.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
cmake --build "$build" -j2 --target unrar_bench >/dev/null
# The program writes Windows line ends.
bench() { "$build/wine-run" "$build/bin/unrar_bench.exe" "$@" </dev/null | tr -d '\r'; }

echo "== 64 MiB stored entry through unrar.dll (fastest of 5 runs each, taken in turns)"
out=$(bench throughput 64)
echo "$out"
echo "extraction throughput / CopyFileA: $(sed -n 's/.*ratio \([0-9.]*\)$/\1/p' <<<"$out") (target >= 0.5)"

echo "== peak memory, one process per size"
peaks() { sed -n 's/^peak-working-set \([0-9]*\) peak-pagefile \([0-9]*\)$/\1 \2/p' <<<"$1"; }
read -r ws1 pf1 <<<"$(peaks "$(bench memory 1)")"
read -r ws64 pf64 <<<"$(peaks "$(bench memory 64)")"
echo "1 MiB:  peak working set $((ws1 / 1024)) KiB, peak pagefile $((pf1 / 1024)) KiB"
echo "64 MiB: peak working set $((ws64 / 1024)) KiB, peak pagefile $((pf64 / 1024)) KiB"
echo "difference: working set $(((ws64 - ws1) / 1024)) KiB, pagefile $(((pf64 - pf1) / 1024)) KiB (target < 1024 KiB)"

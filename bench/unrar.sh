#!/usr/bin/env bash
# unrar.dll benchmark, under Wine:
#  - extraction of a 64 MiB stored entry as a ratio to CopyFileA of the same bytes (target >= 0.5)
#  - peak memory of extracting a 1 MiB against a 64 MiB entry (target: flat, less than 1 MiB apart)
# Usage: bench/unrar.sh [BUILD_DIR]   (default: build). Builds what it needs.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
. "$source_dir/bench/wine-bench.sh" unrar_bench

echo "== 64 MiB stored entry through unrar.dll (fastest of 5 runs each, taken in turns)"
out=$(bench throughput 64)
echo "$out"
echo "extraction throughput / CopyFileA: $(sed -n 's/.*ratio \([0-9.]*\)$/\1/p' <<<"$out") (target >= 0.5)"

peak_memory

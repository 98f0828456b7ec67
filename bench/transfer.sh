#!/usr/bin/env bash
# Transfer benchmark of the conduit over the emulated handheld, under Wine:
#  - send and receive throughput of a 64 MiB file as a ratio to CopyFileA of the same bytes (target >= 0.5)
#  - send throughput as a ratio to a move of the same bytes, CopyFileA then DeleteFileA (target >= 0.8)
#  - peak memory of a 1 MiB against a 64 MiB transfer (target: less than 1 MiB apart)
#  - per-file time of a synchronisation with 200 and with 2000 small files (target ratio <= 1.2)
# Usage: bench/transfer.sh [BUILD_DIR]   (default: build). Builds what it needs.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
. "$source_dir/bench/wine-bench.sh" transfer_bench
field() { sed -n "s/^$1 .*ratio \([0-9.]*\)$/\1/p" <<<"$2"; }

echo "== 64 MiB through the emulated handheld (fastest of 5 runs each)"
out=$(bench throughput 64)
echo "$out"
echo "send throughput / CopyFileA:    $(field send "$out") (target >= 0.5)"
echo "send throughput / move:         $(field send-against-move "$out") (target >= 0.8)"
echo "receive throughput / CopyFileA: $(field receive "$out") (target >= 0.5)"
echo "(handheld-store: the emulated handheld alone storing 64 MiB from memory, the floor under a send;"
echo " bare-send: the file read in 32 KiB pieces into a new database, closed and deleted, no conduit)"

peak_memory

echo "== per-file time of one synchronisation"
few=$(bench files 200)
many=$(bench files 2000)
echo "$few"
echo "$many"
per_file() { sed -n "s/.* $1 \([0-9.-]*\) ms.*/\1/p" <<<"$2"; }
ratio() { awk -v a="$(per_file "$1" "$few")" -v b="$(per_file "$1" "$many")" 'BEGIN { printf "%.2f", b / a }'; }
echo "per-file ratio 2000/200, whole synchronisation: $(ratio per-file) (target <= 1.2)"
echo "per-file ratio 2000/200, emulated handheld alone: $(ratio handheld-alone)"
echo "(handheld-alone: the same finds, creates, record writes and closes on an empty emulated handheld,"
echo " without the conduit: the part of the growth that the handheld's folder of .pdb files brings)"

#!/usr/bin/env bash
# Prints the emulated handheld's figures (throughput, memory, cost per database) under Wine.
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/.." && pwd)/build}
cmake --build "$build" --target palm_bench
cd "$build/bin" && ../wine-run ./palm_bench.exe

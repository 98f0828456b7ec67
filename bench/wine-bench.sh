# What the benchmarks of a Wine program share, sourced with `build` set and the program's name as
# its argument: the program built, `bench ARGS...` running it under Wine, and `peak_memory`, which
# prints the peaks of a 1 MiB against a 64 MiB run (the program's `memory SIZE` command).
cmake --build "$build" -j2 --target "$1" >/dev/null
bench_program="$build/bin/$1.exe"
# The program writes Windows line ends.
bench() { "$build/wine-run" "$bench_program" "$@" </dev/null | tr -d '\r'; }

peak_memory() {
  echo "== peak memory, one process per size"
  local ws1 pf1 ws64 pf64
  peaks() { sed -n 's/^peak-working-set \([0-9]*\) peak-pagefile \([0-9]*\)$/\1 \2/p' <<<"$1"; }
  read -r ws1 pf1 <<<"$(peaks "$(bench memory 1)")"
  read -r ws64 pf64 <<<"$(peaks "$(bench memory 64)")"
  echo "1 MiB:  peak working set $((ws1 / 1024)) KiB, peak pagefile $((pf1 / 1024)) KiB"
  echo "64 MiB: peak working set $((ws64 / 1024)) KiB, peak pagefile $((pf64 / 1024)) KiB"
  echo "difference: working set $(((ws64 - ws1) / 1024)) KiB, pagefile $(((pf64 - pf1) / 1024)) KiB (target < 1024 KiB)"
}

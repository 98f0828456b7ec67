#!/usr/bin/env bash
# HotSync in hard moments on a PC with Kestrin installed: a handheld too full for the new copy of a
# file it holds, and a HotSync killed midway while several large files travel both ways. Every
# situation checks that each file is whole on at least one side, PC or handheld, that nothing
# outside the installed layout changed, and what the HotSync log says.
# Usage: check-hotsync-situations.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
prefix="$build/hotsync-situations"
source "$source_dir/tests/life/kestrin-pc.sh"

handheld() { run "$bin/handheld.exe" "$1" 'C:\Palm\Handheld' "${@:2}"; }
# Whether the handheld's database NAME holds exactly the bytes of the PC file FILE.
on_handheld() {
  rm -f "$drive/pc/extracted"
  handheld extract "$1" 'C:\pc\extracted' >/dev/null && cmp -s "$2" "$drive/pc/extracted"
  local whole=$?
  rm -f "$drive/pc/extracted"
  return $whole
}
# Whether the process PID runs (and has not only ended unreaped).
running() {
  local state
  read -r _ _ state _ <"/proc/$1/stat" 2>/dev/null && [ "$state" != Z ]
}
# A database the emulated handheld cannot read is a half-made one.
check_handheld_readable() {
  local listing
  listing=$(handheld list)
  grep -q unreadable <<<"$listing" && fail "a database is half made: $listing"
}
# C:\pc holds the check's own copies of the files that travel.
check_outside_layout() {
  diff <(grep -v ' \./pc/' "$prefix.before") <(snapshot | grep -v ' \./pc/') >"$prefix.diff" ||
    fail "outside the layout: $(cat "$prefix.diff")"
}

# 1. Overwrite chosen and an old report.bin on the handheld; a bigger new one that cannot fit even
# in the old one's place leaves the old one whole and stays in the Outbox, with the reason logged;
# one that fits only in the old one's place replaces it.
fresh_pc handheld-full
outbox="$install_dir/Outbox"
mkdir -p "$drive/pc"
head -c 60000 /dev/urandom >"$drive/pc/old.bin"
head -c 100000 /dev/urandom >"$drive/pc/new.bin"
run reg add "$settings" /v FromPCToPalm /t REG_DWORD /d 0 /f >/dev/null
handheld prefs --create >/dev/null || fail "making the handheld's preferences"
snapshot >"$prefix.before"
cp "$drive/pc/old.bin" "$outbox/report.bin"
output=$(run 'C:\Palm\HotSync.exe')
on_handheld report.bin "$drive/pc/old.bin" || fail "the old report.bin was not sent: $output"
# FREE_RAM|WHAT THE HANDHELD HOLDS AFTERWARDS
for row in '20000|old' '60000|new'; do
  situation="handheld-full: ${row%|*} bytes free"
  cp "$drive/pc/new.bin" "$outbox/report.bin"
  output=$(run 'C:\Palm\HotSync.exe' --free-ram "${row%|*}")
  on_handheld report.bin "$drive/pc/${row#*|}.bin" || fail "the handheld does not hold the ${row#*|} report.bin: $output"
  if [ "${row#*|}" = old ]; then
    cmp -s "$drive/pc/new.bin" "$outbox/report.bin" || fail "the new report.bin left the Outbox: $output"
    expect_told "not enough free memory on the handheld, even in place of the older report.bin"
  else
    [ ! -e "$outbox/report.bin" ] || fail "the new report.bin is still in the Outbox: $output"
  fi
done
check_handheld_readable
check_outside_layout

# 2. A HotSync killed midway, at several moments, while three files go to the handheld and two come
# from it: afterwards each file is whole on at least one side, and every database the handheld holds
# is whole; the next HotSync carries everything across. Each moment is a sign of the work on the disk,
# seen while the HotSync runs; a HotSync that ends first is no failure.
fresh_pc hotsync-killed
outbox="$install_dir/Outbox"
inbox="$install_dir/Inbox"
mkdir -p "$drive/pc"
handheld prefs --create >/dev/null || fail "making the handheld's preferences"
snapshot >"$prefix.before"
plenty=1000000000
moments=(
  '[ -e "$inbox/~KestrinConduit.tmp" ]'
  '[ -e "$inbox/${received[0]}" ]'
  'compgen -G "$drive/Palm/Handheld/~work/*.new"'
  '[ ! -e "$outbox/${sent[0]}" ]'
  '[ ! -e "$outbox/${sent[1]}" ]'
)
for moment in "${!moments[@]}"; do
  situation="hotsync-killed once ${moments[$moment]}"
  sent=() received=()
  for n in 1 2 3; do
    sent+=("sent$moment-$n.bin")
    head -c $((n * 1500000)) /dev/urandom >"$drive/pc/sent$moment-$n.bin"
    cp "$drive/pc/sent$moment-$n.bin" "$outbox/"
  done
  for n in 1 2; do
    received+=("recv$moment-$n.bin")
    head -c $((n * 2000000)) /dev/urandom >"$drive/pc/recv$moment-$n.bin"
    handheld queue "C:\\pc\\recv$moment-$n.bin" >/dev/null || fail "queueing recv$moment-$n.bin"
  done
  wine 'C:\Palm\HotSync.exe' --free-ram $plenty </dev/null >/dev/null 2>&1 &
  hotsync=$!
  until eval "${moments[$moment]}" >/dev/null || ! running $hotsync; do :; done
  running $hotsync && kill -9 $hotsync && echo "killed HotSync once ${moments[$moment]}"
  { wait $hotsync; } 2>/dev/null
  check_handheld_readable
  for name in "${sent[@]}"; do
    [ -e "$outbox/$name" ] && { cmp -s "$drive/pc/$name" "$outbox/$name" || fail "$name is damaged in the Outbox"; }
    [ -e "$outbox/$name" ] || on_handheld "$name" "$drive/pc/$name" || fail "$name is whole on neither side"
  done
  for name in "${received[@]}"; do
    [ -e "$inbox/$name" ] && { cmp -s "$drive/pc/$name" "$inbox/$name" || fail "$name is damaged in the Inbox"; }
    on_handheld "$name" "$drive/pc/$name" || fail "$name is no longer whole on the handheld"
  done
  # A file that arrived before the kill, but was not yet marked as sent, is asked about again.
  output=$(run 'C:\Palm\HotSync.exe' --free-ram $plenty --answer yes)
  grep -q "OpenConduit returned 0" <<<"$output" || fail "Kestrin's conduit did not run: $output"
  check_handheld_readable
  for name in "${sent[@]}"; do
    [ ! -e "$outbox/$name" ] && on_handheld "$name" "$drive/pc/$name" || fail "$name was not sent whole: $output"
  done
  for name in "${received[@]}"; do
    cmp -s "$drive/pc/$name" "$inbox/$name" || fail "$name was not received whole: $output"
  done
  # (The conduit's own working folders are not looked at here.)
  [ -z "$(ls -A "$outbox" | grep -v '^~KestrinConduit[1-9]*\.tmp$')" ] || fail "left in the Outbox: $(ls -A "$outbox")"
  [ -z "$(ls -A "$inbox" | grep -v '^recv\|^~KestrinConduit[1-9]*\.tmp$')" ] || fail "left in the Inbox: $(ls -A "$inbox")"
done
check_outside_layout

echo "$failures HotSync-situation checks failed"
[ "$failures" -eq 0 ]

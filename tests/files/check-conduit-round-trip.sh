#!/usr/bin/env bash
# kestrin-files against the real conduit, on an emulated PC with Palm Desktop: databases that the tool
# packs, installed on the emulated handheld and listed in the tool's queue database, reach the incoming
# folder byte for byte through a HotSync; files that the HotSync sends to the handheld come back
# through `unpack` byte for byte. Sizes around a record's end and a few MiB, plain and zipped (the
# conduit's WinZip is the test stand-in).
# Usage: check-conduit-round-trip.sh SOURCE_DIR BUILD_DIR KESTRIN_FILES
set -uo pipefail
source_dir=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
tool=$3
bin="$build/bin"
prefix="$build/files-round-trip"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
[ -x "$tool" ] || { echo "FAIL: no native kestrin-files at $tool: build it with scripts/build-native.sh"; exit 1; }

source "$source_dir/tests/support/palm-desktop-pc.sh"
handheld() { run "$bin/handheld.exe" "$1" 'C:\Palm\Handheld' "${@:2}"; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

run "$bin/condmgr_tool.exe" 'C:\Palm\condmgr.dll' register vqKT KestrinConduit.dll 2 >/dev/null || fail "registering the conduit"
cp "$bin/KestrinConduit.dll" "$drive/Palm/"
key='HKCU\Software\Orvelle\Kestrin'
run reg add "$key" /v FolderForSFiles /d 'C:\Outbox' /f >/dev/null
run reg add "$key" /v FolderForRFiles /d 'C:\Inbox' /f >/dev/null
for value in FromPalmToPC FromPCToPalm; do
  run reg add "$key" /v "$value" /t REG_DWORD /d 0 /f >/dev/null
done
run reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\WinZip.exe' /ve \
  /d "$(windows_path "$bin/archivers/WinZip.exe")" /f >/dev/null

work="$build/files-round-trip-work"
sizes=(0 1 32767 32768 32769 3145733)
for mode in plain zip; do
  rm -rf "$work" "$drive/Outbox" "$drive/Inbox" "$drive/Palm/Handheld"
  mkdir -p "$work/pc" "$work/db" "$work/back" "$drive/Outbox" "$drive/Inbox" "$drive/Palm/Handheld"
  archiver=0 zip=()
  [ "$mode" = zip ] && archiver=1 zip=(--zip)
  run reg add "$key" /v Archiver /t REG_DWORD /d "$archiver" /f >/dev/null
  queued=()
  for size in "${sizes[@]}"; do
    # To the PC: packed here, installed on the handheld as an emulator installs a .pdb, queued.
    head -c "$size" /dev/urandom >"$work/pc/in-$size.bin"
    "$tool" pack "$work/pc/in-$size.bin" -o "$work/db" "${zip[@]}" >/dev/null || fail "$mode: packing $size bytes"
    handheld install "$(windows_path "$work/db/in-$size.bin.pdb")" >/dev/null || fail "$mode: installing $size bytes"
    queued+=("in-$size.bin")
    # To the handheld: sent by the HotSync, which never sends an empty file.
    head -c "$size" /dev/urandom >"$work/pc/out-$size.bin"
    [ "$size" -gt 0 ] && cp "$work/pc/out-$size.bin" "$drive/Outbox/"
  done
  "$tool" queue "${queued[@]}" -o "$work/db/queue.pdb" >/dev/null || fail "$mode: writing the queue"
  handheld install "$(windows_path "$work/db/queue.pdb")" >/dev/null || fail "$mode: installing the queue"

  output=$(run 'C:\Palm\HotSync.exe') || fail "$mode: the HotSync failed: $output"
  grep -q '22 warning' <<<"$output" && fail "$mode: the conduit warned: $output"
  for size in "${sizes[@]}"; do
    cmp -s "$work/pc/in-$size.bin" "$drive/Inbox/in-$size.bin" || fail "$mode: the packed $size bytes did not arrive whole"
    [ "$size" -gt 0 ] || continue
    handheld export "out-$size.bin" "$(windows_path "$work/back/out-$size.bin.pdb")" >/dev/null ||
      fail "$mode: out-$size.bin is not on the handheld"
    "$tool" unpack "$work/back/out-$size.bin.pdb" -o "$work/back" >/dev/null || fail "$mode: unpacking $size bytes"
    cmp -s "$work/pc/out-$size.bin" "$work/back/out-$size.bin" || fail "$mode: the sent $size bytes did not come back whole"
  done
done

[ "$failures" -eq 0 ] && rm -rf "$work"
echo "$failures round-trip checks failed"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# Checks the test archivers against independent readers: what WinZip.exe and WinRar.exe pack, 7z and
# lsar/unar test and unpack byte for byte; what 7z packs (stored ZIP), WinZip.exe unpacks.
# Usage: check-archives.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work="$build/archiver-check"
rm -rf "$work" "$build/bin/archivers/"*.log
mkdir -p "$work/pack" "$work/unpack"
cd "$work/pack"
head -c 150000 /dev/urandom >"data file.bin"
run() { "$build/wine-run" "$@" >/dev/null 2>&1 </dev/null; }

check_packed() { # archiver archive
  local archiver=$1 archive=$2
  run "$build/bin/archivers/$archiver.exe" "$([ "$archiver" = WinZip ] && echo -a || echo a)" "$archive" "data file.bin"
  7z t "$archive" >/dev/null || { echo "7z rejects $archiver's archive"; exit 1; }
  lsar -t "$archive" >/dev/null || { echo "lsar rejects $archiver's archive"; exit 1; }
  rm -rf "$work/unar" && mkdir "$work/unar"
  unar -q -o "$work/unar" "$archive" >/dev/null
  cmp "data file.bin" "$work/unar/data file.bin" || { echo "$archiver's archive unpacks wrongly"; exit 1; }
}
check_packed WinZip '$$temp$$.zip'
check_packed WinRar '$$temp$$.rar'

# The other way: a stored ZIP made by 7z, unpacked by WinZip.exe.
7z a -tzip -mx0 "$work/unpack/"'$$temp$$.zip' "data file.bin" >/dev/null
cd "$work/unpack"
run "$build/bin/archivers/WinZip.exe" -e '$$temp$$.zip'
cmp "$work/pack/data file.bin" "data file.bin" || { echo "WinZip.exe unpacks 7z's archive wrongly"; exit 1; }
# And WinRar.exe unpacks its own archive.
rm -f "data file.bin"
cp "$work/pack/"'$$temp$$.rar' .
run "$build/bin/archivers/WinRar.exe" e '$$temp$$.rar'
cmp "$work/pack/data file.bin" "data file.bin" || { echo "WinRar.exe round trip fails"; exit 1; }
rm -rf "$work" "$build/bin/archivers/"*.log
echo "test archivers agree with 7z and lsar/unar"

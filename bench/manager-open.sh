#!/usr/bin/env bash
# Time to open KestrinManager on an outgoing folder of 10 000 files under Wine: from the start of
# the program until its dialog shows with every file listed. Target: 1 s or less.
# Usage: bench/manager-open.sh BUILD_DIR [FILES]
# Runs in a Wine prefix of its own (BUILD_DIR/bench-manager), never the tests' one.
set -euo pipefail
build=$(cd "${1:?usage: manager-open.sh BUILD_DIR [FILES]}" && pwd)
files=${2:-10000}
here=$(cd "$(dirname "$0")/.." && pwd)
work="$build/bench-manager"
mkdir -p "$work"

# A new prefix's first desktop process can fail to start: begin with a fresh server.
"$here/scripts/wine-prefix.sh" "$work"
WINEPREFIX="$work/wineprefix" wineserver -k || true
"$here/scripts/wine-prefix.sh" "$work"
export WINEPREFIX="$work/wineprefix" WINEARCH=win32 HOME="$work/winehome"
export WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" LANG=C.UTF-8

outbox="$work/Outbox"
if [ "$(find "$outbox" -maxdepth 1 -type f 2>/dev/null | wc -l)" -ne "$files" ]; then
  rm -rf "$outbox"
  mkdir -p "$outbox"
  (cd "$outbox" && extensions=(doc txt jpg zip pdf prc exe wav htm c) &&
    for ((i = 0; i < files; i++)); do printf 'file %d\n' "$i" >"queued-$i.${extensions[i % 10]}"; done)
fi
mkdir -p "$work/Inbox"

key='HKCU\Software\Orvelle\Kestrin'
quiet() { "$@" >/dev/null 2>&1 </dev/null; }
quiet wine reg add "$key" /v FolderForSFiles /d "$(winepath -w "$outbox")" /f
quiet wine reg add "$key" /v FolderForRFiles /d "$(winepath -w "$work/Inbox")" /f
for value in FromPalmToPC FromPCToPalm; do quiet wine reg add "$key" /v $value /t REG_DWORD /d 2 /f; done
for value in NameWidth SizeWidth DateWidth TimeWidth; do quiet wine reg add "$key" /v $value /t REG_DWORD /d 90 /f; done
quiet wine reg add "$key" /v Archiver /t REG_DWORD /d 0 /f

cd "$build/bin"
echo "KestrinManager, outgoing folder of $files files:"
for run in 1 2 3; do
  printf '  run %d: ' "$run"
  wine ./ManagerDriver.exe open-time KestrinManager.exe "$files"
done
wineserver -k

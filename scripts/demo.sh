#!/usr/bin/env bash
# Installs what is needed, builds, and runs one HotSync against the emulated handheld: files of the
# outgoing folder go to the handheld, a file queued on the handheld comes to the incoming folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$build" >/dev/null
"$root/scripts/wine-prefix.sh" "$build"

run() { "$build/wine-run" "$@"; }
winpath() { WINEPREFIX="$build/wineprefix" winepath -w "$1" 2>/dev/null; }

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/handheld" "$demo/Outbox" "$demo/Inbox" "$demo/pc"

# The PC side: two files waiting in the outgoing folder.
printf 'Buy milk.\nCall the office.\n' >"$demo/Outbox/notes.txt"
head -c 70000 /dev/urandom >"$demo/Outbox/Quarterly Report 2000.doc"
# The handheld side: the handheld application has queued a file for the PC and keeps its counts.
printf 'Written on the handheld.\n' >"$demo/pc/memo.txt"
run "$build/bin/handheld.exe" queue "$(winpath "$demo/handheld")" "$(winpath "$demo/pc/memo.txt")" >/dev/null
run "$build/bin/handheld.exe" prefs "$(winpath "$demo/handheld")" --create >/dev/null

# The settings as Setup writes them, pointing at the demo folders.
key='HKCU\Software\Orvelle\Kestrin'
run reg add "$key" /v FolderForSFiles /d "$(winpath "$demo/Outbox")" /f >/dev/null 2>&1
run reg add "$key" /v FolderForRFiles /d "$(winpath "$demo/Inbox")" /f >/dev/null 2>&1
for value in FromPalmToPC FromPCToPalm Archiver; do
  run reg add "$key" /v "$value" /t REG_DWORD /d 0 /f >/dev/null 2>&1
done

list() { (cd "$1" && find . -maxdepth 1 -type f -printf '  %f (%s bytes)\n' | sort); }

echo "== Before the HotSync"
echo "Outgoing folder:"; list "$demo/Outbox"
echo "Incoming folder:"; list "$demo/Inbox"
echo "Handheld:"; run "$build/bin/handheld.exe" list "$(winpath "$demo/handheld")"
echo
echo "== HotSync"
run "$build/bin/hotsync.exe" --handheld "$(winpath "$demo/handheld")" --conduit "$(winpath "$build/bin/KestrinConduit.dll")"
echo
echo "== After the HotSync"
echo "Outgoing folder:"; list "$demo/Outbox"
echo "Incoming folder:"; list "$demo/Inbox"
echo "Handheld:"; run "$build/bin/handheld.exe" list "$(winpath "$demo/handheld")"
run "$build/bin/handheld.exe" prefs "$(winpath "$demo/handheld")"

#!/usr/bin/env bash
# A HotSync on a PC with Palm Desktop: in a fresh prefix made by scripts/palm-desktop.sh the conduit
# is registered through condmgr.dll as Setup registers it and copied into C:\Palm; C:\Palm\HotSync.exe,
# started with no conduit named, then moves files both ways. Once the registration is removed, the
# next HotSync runs no conduit. Registrations that name no library of C:\Palm are refused.
# Usage: check-registered-hotsync.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
bin="$build/bin"
prefix="$build/palm-desktop-test"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

source "$source_dir/tests/support/palm-desktop-pc.sh"

condmgr() { run "$bin/condmgr_tool.exe" 'C:\Palm\condmgr.dll' "$@"; }
handheld() { run "$bin/handheld.exe" "$1" 'C:\Palm\Handheld' "${@:2}"; }
hotsync() { run 'C:\Palm\HotSync.exe'; }

# The PC that the script made.
for file in HotSync.exe condmgr.dll SYNC20.dll HSLOG20.dll PalmCmn.dll; do
  [ -f "$drive/Palm/$file" ] || fail "C:\\Palm\\$file is missing"
done
[ -d "$drive/Palm/Handheld" ] || fail "C:\\Palm\\Handheld is missing"
hotsync_path=$(run reg query 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v HotSyncPath)
grep -q 'HotSyncPath.*REG_SZ.*C:\\Palm\\HotSync\.exe$' <<<"$hotsync_path" || fail "HotSyncPath: $hotsync_path"

# Before any registration HotSync runs nothing.
output=$(hotsync) || fail "HotSync without a registration failed: $output"
grep -q "No conduit is registered" <<<"$output" || fail "HotSync without a registration said: $output"

# Setup's part: the registration through condmgr.dll, the conduit in the HotSync folder, the settings.
output=$(condmgr register vqKT KestrinConduit.dll 2) || fail "registering: $output"
cp "$bin/KestrinConduit.dll" "$drive/Palm/"
mkdir -p "$drive/Outbox" "$drive/Inbox" "$drive/pc"
key='HKCU\Software\Orvelle\Kestrin'
run reg add "$key" /v FolderForSFiles /d 'C:\Outbox' /f >/dev/null
run reg add "$key" /v FolderForRFiles /d 'C:\Inbox' /f >/dev/null
for value in FromPalmToPC FromPCToPalm Archiver; do
  run reg add "$key" /v "$value" /t REG_DWORD /d 0 /f >/dev/null
done

# A file waiting on each side.
printf 'Buy milk.\nCall the office.\n' >"$drive/Outbox/notes.txt"
head -c 100000 /dev/urandom >"$drive/pc/memo.bin"
handheld queue 'C:\pc\memo.bin' >/dev/null || fail "queueing on the handheld"
handheld prefs --create >/dev/null || fail "making the handheld's preferences"

output=$(hotsync) || fail "HotSync of the registered conduit failed: $output"
grep -q "registered conduit: vqKT, KestrinConduit.dll, priority 2" <<<"$output" || fail "HotSync said: $output"
grep -q "OpenConduit returned 0" <<<"$output" || fail "the conduit did not run: $output"
cmp -s "$drive/pc/memo.bin" "$drive/Inbox/memo.bin" || fail "the handheld's file did not reach C:\\Inbox"
[ ! -e "$drive/Outbox/notes.txt" ] || fail "notes.txt is still in C:\\Outbox"
handheld extract notes.txt 'C:\pc\notes.txt' >/dev/null || fail "notes.txt is not on the handheld"
[ "$(cat "$drive/pc/notes.txt" 2>/dev/null)" = $'Buy milk.\nCall the office.' ] || fail "notes.txt on the handheld differs"

# Running the script again keeps the handheld and the registration.
"$source_dir/scripts/palm-desktop.sh" "$prefix" "$build" >/dev/null || fail "palm-desktop.sh a second time"
handheld list | grep -q notes.txt || fail "the handheld lost notes.txt"
[ "$(condmgr list)" = "vqKT 2 KestrinConduit.dll" ] || fail "the registration changed: $(condmgr list)"

# UnInstall's part: the registration removed, the next HotSync runs no conduit.
output=$(condmgr remove vqKT) || fail "removing the registration: $output"
printf 'Later.\n' >"$drive/Outbox/later.txt"
output=$(hotsync) || fail "HotSync after the removal failed: $output"
grep -q "No conduit is registered" <<<"$output" || fail "HotSync after the removal said: $output"
grep -q "OpenConduit" <<<"$output" && fail "a conduit ran after the removal: $output"
[ -e "$drive/Outbox/later.txt" ] || fail "later.txt left C:\\Outbox with no conduit registered"

# Registrations run lowest priority number first; one that names a path or a missing library is
# reported and fails the HotSync, never loaded from elsewhere.
condmgr register zzzz Missing.dll 3 >/dev/null || fail "registering zzzz"
condmgr register aaaa '..\KestrinConduit.dll' 1 >/dev/null || fail "registering aaaa"
output=$(hotsync) && fail "HotSync with broken registrations succeeded: $output"
order=$(grep -o '^registered conduit: [a-z]*' <<<"$output" | cut -d' ' -f3 | tr '\n' ' ')
[ "$order" = "aaaa zzzz " ] || fail "registrations ran in the order '$order'"
grep -q 'conduit of aaaa is not a library name of this folder' <<<"$output" || fail "a path was not refused: $output"
grep -q 'cannot load C:\\Palm\\Missing.dll' <<<"$output" || fail "a missing library was not reported: $output"
grep -q "OpenConduit" <<<"$output" && fail "a conduit ran from a broken registration: $output"

echo "$failures registered HotSync checks failed"
[ "$failures" -eq 0 ]

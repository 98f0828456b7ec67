#!/usr/bin/env bash
# The product's life as a user lives it, on an emulated PC with Palm Desktop (scripts/palm-desktop.sh):
# Setup from a copy of the distribution folder, a HotSync that moves files both ways through the
# installed Outbox and Inbox, the manager started from its shortcut's target, then UnInstall, a
# restart of the prefix, and a last HotSync that runs no conduit. Every check reads the result with a
# tool that no one here wrote (lnkinfo, wine reg, the file system) or with the emulated handheld.
# In headless mode Setup and UnInstall run silently under Wine's X11 driver with no display at all,
# as a deployment tool runs them without a desktop; the received file is taken out of the Inbox first,
# so that UnInstall removes everything.
# Usage: check-product-life.sh SOURCE_DIR BUILD_DIR silent|dialog|headless
set -uo pipefail
source_dir=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
mode=$3
bin="$build/bin"
prefix="$build/product-life-$mode"
failures=0
fail() { echo "FAIL ($mode): $*"; failures=$((failures + 1)); }

source "$source_dir/tests/support/palm-desktop-pc.sh"
if [ "$mode" = headless ]; then
  run reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null
  stop_server
  unset DISPLAY WAYLAND_DISPLAY
fi
install_dir="$drive/Program Files/Orvelle/Kestrin Manager"
install_win='C:\Program Files\Orvelle\Kestrin Manager'

handheld() { run "$bin/handheld.exe" "$1" 'C:\Palm\Handheld' "${@:2}"; }
registrations() { run "$bin/condmgr_tool.exe" 'C:\Palm\condmgr.dll' list; }
programs_folder() { find "$drive/users" -type d -path '*Start Menu/Programs' | head -n 1; }

# The folder a user downloads, unpacked somewhere on the PC; Setup opens data.z from its own folder.
download="$drive/Downloads/Kestrin"
mkdir -p "$download"
cp "$build/dist/"* "$download/"
for file in Setup.exe data.z unrar.dll; do
  [ -f "$download/$file" ] || fail "the distribution folder lacks $file"
done

# Setup.
if [ "$mode" != dialog ]; then
  output=$(cd "$download" && run ./Setup.exe /S) || fail "Setup /S exited $?: $output"
else
  output=$(cd "$download" && run "$bin/SetupDriver.exe" run 'C:\Downloads\Kestrin\Setup.exe' \
    --folder "$install_win\\\\" --answer 'Restart Windows now?=no') || fail "Setup through its dialog: $output"
  grep -q '^message: Installation complete!' <<<"$output" || fail "Setup did not complete: $output"
  grep -q '^exit: 0$' <<<"$output" || fail "Setup's dialog ended with: $output"
fi

# What Setup installed: files, folders, Settings store, uninstall entry, registration, shortcuts.
for file in KestrinManager.exe UnInstall.exe Kestrin.prc; do
  [ -f "$install_dir/$file" ] || fail "$file is not in the install folder"
done
[ -d "$install_dir/Outbox" ] && [ -d "$install_dir/Inbox" ] || fail "Outbox or Inbox is missing"
cmp -s "$bin/KestrinConduit.dll" "$drive/Palm/KestrinConduit.dll" || fail "the conduit is not in C:\\Palm"
cmp -s "$bin/KestrinManager.exe" "$install_dir/KestrinManager.exe" || fail "the manager differs from the build's"
settings='HKCU\Software\Orvelle\Kestrin'
[ "$(reg_value "$settings" PathToManager)" = "$install_win" ] || fail "PathToManager: $(reg_value "$settings" PathToManager)"
[ "$(reg_value "$settings" PathToHotSync)" = 'C:\Palm' ] || fail "PathToHotSync: $(reg_value "$settings" PathToHotSync)"
[ "$(reg_value "$settings" FolderForSFiles)" = "$install_win\\Outbox" ] || fail "FolderForSFiles"
[ "$(reg_value "$settings" FolderForRFiles)" = "$install_win\\Inbox" ] || fail "FolderForRFiles"
[ "$(reg_value "$settings" FromPalmToPC)" = 0x2 ] || fail "FromPalmToPC: $(reg_value "$settings" FromPalmToPC)"
[ "$(reg_value "$settings" NameWidth)" = 0xca ] || fail "NameWidth: $(reg_value "$settings" NameWidth)"
[ "$(run reg query "$settings" | grep -c REG_)" -eq 11 ] || fail "the Settings store does not hold eleven values"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrin Manager'
[ "$(reg_value "$uninstall_key" DisplayName)" = "Kestrin Manager v2.1" ] || fail "DisplayName"
[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$install_win\\UnInstall.exe\"" ] || fail "UninstallString"
[ "$(registrations)" = "vqKT 2 KestrinConduit.dll" ] || fail "registrations: $(registrations)"
group="$(programs_folder)/Orvelle/Kestrin"
check_shortcut() { # LINK TARGET WORKING_FOLDER
  local info
  info=$(lnkinfo "$group/$1" 2>&1 | tr -s '\t ' '  ') || { fail "lnkinfo cannot read $1"; return; }
  grep -qiF "Local path : $2" <<<"$info" || fail "$1 does not point at $2: $info"
  if [ -n "$3" ]; then
    grep -qiF "Working directory : $3" <<<"$info" || fail "$1 does not start in $3: $info"
  else
    grep -qi "Working directory" <<<"$info" && fail "$1 has a working folder: $info"
  fi
  grep -qi "Command line arguments" <<<"$info" && fail "$1 has arguments: $info"
}
check_shortcut "Kestrin Manager.lnk" "$install_win\\KestrinManager.exe" "$install_win"
check_shortcut "UnInstall Kestrin Manager.lnk" "$install_win\\UnInstall.exe" "$install_win"
check_shortcut "Kestrin for Palm.lnk" "$install_win\\Kestrin.prc" ""

# A HotSync through the registration moves files both ways through the installed folders.
printf 'Buy milk.\nCall the office.\n' >"$install_dir/Outbox/notes.txt"
mkdir -p "$drive/pc"
head -c 100000 /dev/urandom >"$drive/pc/memo.bin"
handheld queue 'C:\pc\memo.bin' >/dev/null || fail "queueing on the handheld"
handheld prefs --create >/dev/null || fail "making the handheld's preferences"
output=$(run 'C:\Palm\HotSync.exe') || fail "HotSync failed: $output"
grep -q "OpenConduit returned 0" <<<"$output" || fail "the installed conduit did not run: $output"
cmp -s "$drive/pc/memo.bin" "$install_dir/Inbox/memo.bin" || fail "the handheld's file did not reach the Inbox"
[ ! -e "$install_dir/Outbox/notes.txt" ] || fail "notes.txt is still in the Outbox"
handheld extract notes.txt 'C:\pc\notes.txt' >/dev/null || fail "notes.txt is not on the handheld"
cmp -s <(printf 'Buy milk.\nCall the office.\n') "$drive/pc/notes.txt" || fail "notes.txt on the handheld differs"

# The manager, started as its shortcut starts it (in the install folder), lists the installed Outbox.
# (It needs a display, which the headless PC has not.)
if [ "$mode" != headless ]; then
  printf 'For later.\n' >"$install_dir/Outbox/later.txt"
  output=$(cd "$install_dir" && run "$bin/ManagerDriver.exe" open-time "$install_win\\KestrinManager.exe" 1) ||
    fail "the manager did not open on the installed Outbox: $output"
  [ "$(reg_value "$settings" FolderForSFiles)" = "$install_win\\Outbox" ] || fail "the manager changed FolderForSFiles"
  rm -f "$install_dir/Outbox/later.txt"
fi

# UnInstall. The file received from the handheld stays in the Inbox, so that step fails and the Inbox
# is left as it is.
if [ "$mode" = headless ]; then
  mv "$install_dir/Inbox/memo.bin" "$drive/pc/received.bin"
  output=$(cd "$install_dir" && run ./UnInstall.exe /S) || fail "UnInstall /S exited $?: $output"
  cmp -s "$drive/pc/memo.bin" "$drive/pc/received.bin" || fail "the received file changed"
  [ ! -e "$install_dir/Inbox" ] && [ ! -e "$install_dir/Outbox" ] || fail "Inbox or Outbox stayed"
elif [ "$mode" = silent ]; then
  output=$(cd "$install_dir" && run ./UnInstall.exe /S)
  status=$?
  [ "$status" -eq 8 ] || fail "UnInstall /S exited $status, not 8 (only the folder step failed): $output"
else
  output=$(cd "$install_dir" && run "$bin/UnInstallDriver.exe" run "$install_win\\UnInstall.exe") ||
    fail "UnInstall through its dialog: $output"
fi
if [ "$mode" != headless ]; then
  [ -f "$install_dir/Inbox/memo.bin" ] && cmp -s "$drive/pc/memo.bin" "$install_dir/Inbox/memo.bin" ||
    fail "UnInstall touched the user's file in the Inbox"
  # The folder step stops at the Inbox, so the Outbox after it stays too.
  [ -d "$install_dir/Outbox" ] || fail "the Outbox went although the Inbox before it stayed"
fi
[ ! -e "$drive/Palm/KestrinConduit.dll" ] || fail "the conduit is still in C:\\Palm"
[ -z "$(registrations)" ] || fail "still registered: $(registrations)"
for file in KestrinManager.exe Kestrin.prc; do
  [ ! -e "$install_dir/$file" ] || fail "$file is still installed"
done
run reg query "$settings" >/dev/null && fail "the Settings store is still there"
run reg query 'HKCU\Software\Orvelle' >/dev/null || fail "HKCU\\Software\\Orvelle was removed"
run reg query "$uninstall_key" >/dev/null && fail "the uninstall entry is still there"
[ ! -e "$group" ] || fail "the program group is still there"
[ -d "$(programs_folder)/Orvelle" ] || fail "the Orvelle level of the program group was removed"
[ -d "$install_dir" ] || fail "the install folder itself was removed"
# Without a desktop nothing keeps the wine server up between programs, and each new server is a start
# of the PC that carries out Wininit.ini: the headless PC has restarted already.
if [ "$mode" != headless ]; then
  wininit=$(find "$drive/windows" -maxdepth 1 -iname wininit.ini | head -n 1)
  [ -n "$wininit" ] && grep -qi '^NUL=C:\\.*\.EXE' "$wininit" || fail "no self-deletion line in Wininit.ini"
  [ -f "$install_dir/UnInstall.exe" ] || fail "UnInstall.exe vanished before the restart"
else
  grep -qi '^NUL=C:\\.*\.EXE' "$drive/windows/wininit.bak" || fail "no self-deletion line was carried out"
fi

# A restart of the prefix deletes UnInstall.exe; the next HotSync runs no conduit.
run wineboot -r >/dev/null
[ ! -e "$install_dir/UnInstall.exe" ] || fail "UnInstall.exe is still there after the restart"
output=$(run 'C:\Palm\HotSync.exe') || fail "HotSync after the removal failed: $output"
grep -q "No conduit is registered" <<<"$output" || fail "HotSync after the removal said: $output"

echo "$failures product-life checks failed ($mode)"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# Setup and UnInstall in awkward moments on an emulated Palm Desktop PC, each situation in a fresh
# prefix: other programs' restart work, an UnInstall that meets a running manager or a protected
# folder and is finished by a second run, a reinstallation before the restart, folder names, a
# reinstallation over the user's settings. Every situation checks that the user's files are whole,
# that nothing outside the installed layout changed, and what the user was told.
# Usage: check-installer-situations.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
prefix="$build/installer-situations"
source "$source_dir/tests/life/kestrin-pc.sh"

# After the removal and a restart: the layout is gone, everything else as it was, other programs'
# restart work done.
check_removed_after_restart() {
  run wineboot -r >/dev/null
  [ ! -e "$install_dir/UnInstall.exe" ] || fail "UnInstall.exe is still there after the restart"
  for file in KestrinManager.exe Kestrin.prc; do
    [ ! -e "$install_dir/$file" ] || fail "$file is still installed"
  done
  [ ! -e "$drive/Palm/KestrinConduit.dll" ] || fail "the conduit is still in C:\\Palm"
  run reg query "$settings" >/dev/null && fail "the Settings store is still there"
  run reg query "$uninstall_key" >/dev/null && fail "the uninstall entry is still there"
  [ ! -e "$drive/Other/old.tmp" ] && [ "$(cat "$drive/Other/new.dll" 2>/dev/null)" = update ] ||
    fail "another program's restart work was not done"
  printf 'old\n' >"$drive/Other/old.tmp" && printf 'update\n' >"$drive/Other/update.dll"
  rm -f "$drive/Other/new.dll"
  diff <(cat "$prefix.before") <(snapshot) >"$prefix.diff" || fail "outside the layout: $(cat "$prefix.diff")"
}

uninstall_dialog() { (cd "$install_dir" && run "$bin/UnInstallDriver.exe" run "$install_win\\UnInstall.exe"); }
unfinished='UnInstallation incomplete! Some items could not be removed: the steps\nwithout "Ok!" show which. Close the programs'
incomplete='UnInstallation incomplete! Some items could not be removed: the steps\nwithout "Ok!" show which. You need'
complete='UnInstallation complete!'

# Kept for a second run: the two paths and the uninstall entry, no self-deletion scheduled.
check_kept_for_second_run() {
  [ "$(run reg query "$settings" /v PathToManager | grep -cF "$install_win")" -eq 1 ] || fail "PathToManager went"
  run reg query "$settings" /v PathToHotSync >/dev/null || fail "PathToHotSync went"
  run reg query "$uninstall_key" /v UninstallString >/dev/null || fail "the uninstall entry went"
  grep -qi 'UNINST' "$drive/windows/wininit.ini" && fail "UnInstall.exe is scheduled although its entry stays"
}

# 1. Other programs' lines in Wininit.ini stay beside UnInstall's own.
fresh_pc wininit
output=$(uninstall_dialog) || fail "UnInstall: $output"
expect_told "marks 1 2 3 4 5 6"
expect_told "$complete"
grep -q '^NUL=C:\\Other\\old.tmp' "$drive/windows/wininit.ini" &&
  grep -q '^C:\\Other\\new.dll=C:\\Other\\update.dll' "$drive/windows/wininit.ini" &&
  grep -qi '^nul=C:\\.*\.EXE' "$drive/windows/wininit.ini" || fail "wininit.ini: $(cat "$drive/windows/wininit.ini")"
check_removed_after_restart

# 2. The manager running: its files stay, with what a second run needs; the second run, after the
# manager has closed and Windows restarted, removes the rest. The user's received file stays.
fresh_pc manager-running
head -c 50000 /dev/urandom >"$prefix.received"
cp "$prefix.received" "$install_dir/Inbox/received.bin"
(cd "$install_dir" && setsid wine KestrinManager.exe </dev/null >/dev/null 2>&1 &)
# With its output closed: a desktop process it may start lives as long as the manager, and would
# keep a pipe open.
wine "$bin/ManagerDriver.exe" wait </dev/null >/dev/null 2>&1 || fail "the manager did not open"
output=$(uninstall_dialog) || fail "UnInstall: $output"
expect_told "marks 1 2 6"
expect_told "$unfinished"
[ -f "$install_dir/KestrinManager.exe" ] || fail "the running manager's file went"
check_kept_for_second_run
run "$bin/ManagerDriver.exe" close >/dev/null || fail "the manager did not close"
run wineboot -r >/dev/null
uninstaller=$(run reg query "$uninstall_key" /v UninstallString | sed -n 's/^ *UninstallString *REG_SZ *"\(.*\)"$/\1/p')
output=$(cd "$install_dir" && run "$bin/UnInstallDriver.exe" run "$uninstaller") || fail "second run: $output"
expect_told "marks 1 2 3 5 6"
expect_told "$incomplete"
cmp -s "$prefix.received" "$install_dir/Inbox/received.bin" || fail "the received file changed"
check_removed_after_restart

# 3. A protected, empty Outbox: kept for a second run, which removes it once it is writable.
fresh_pc protected-folder
protected="$install_dir/Outbox"
chattr +i "$protected" || fail "chattr +i"
output=$(cd "$install_dir" && run ./UnInstall.exe /S)
[ $? -eq $((8 | 16)) ] || fail "UnInstall /S with a protected Outbox: $output"
check_kept_for_second_run
unprotect
output=$(cd "$install_dir" && run ./UnInstall.exe /S) || fail "the second run exited $?"
check_removed_after_restart

# 4. A reinstallation before the restart keeps its uninstaller across the restart; the uninstall
# entry's command lines name the uninstaller in quotes.
fresh_pc reinstall-before-restart
output=$(cd "$install_dir" && run ./UnInstall.exe /S) || fail "UnInstall /S exited $?: $output"
output=$(cd "$download" && run ./Setup.exe /S) || fail "Setup /S again exited $?: $output"
grep -qi 'UNINST' "$drive/windows/wininit.ini" && fail "UnInstall.exe is still scheduled: $(cat "$drive/windows/wininit.ini")"
grep -q '^NUL=C:\\Other\\old.tmp' "$drive/windows/wininit.ini" || fail "another program's line went"
pending=$(run reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations)
grep -qi 'uninst' <<<"$pending" && fail "UnInstall.exe is still registered for deletion: $pending"
run wineboot -r >/dev/null
cmp -s "$bin/UnInstall.exe" "$install_dir/UnInstall.exe" || fail "the restart deleted the new UnInstall.exe"
# The other program's conduit has no library here: only Kestrin's runs.
output=$(run 'C:\Palm\HotSync.exe')
grep -q "OpenConduit returned 0" <<<"$output" || fail "the reinstalled conduit did not run: $output"
for value in UninstallString QuietUninstallString; do
  command=$(run reg query "$uninstall_key" /v "$value" | sed -n "s/^ *$value *REG_SZ *//p")
  [ "${command:0:1}" = '"' ] || fail "$value is not quoted: $command"
done
quiet_program=$(sed -n 's/^"\([^"]*\)" \/S$/\1/p' <<<"$command")
output=$(cd "$install_dir" && run "$quiet_program" /S) || fail "the quiet uninstall command exited $?: $command"
check_removed_after_restart

# 5. Folder names: the longest folder accepted still receives files, and sends one of a 31-character
# name, through the conduit's last private folder name; one character more, or a name the code page
# cannot carry, is refused with the default folder.
fresh_pc folder-names
deep="C:\\$(printf 'k%.0s' $(seq 191))"
output=$(cd "$download" && run ./Setup.exe /S "/D=$deep") || fail "Setup into ${#deep} characters exited $?"
deep_dir="$drive/${deep:3}"
# The handheld names a received file in at most 12 characters; a sent file keeps its PC name, of 31.
received=abcdefghijkl
sent31=zyxwvutsrqponmlkjihgfedcba98765
for box in Inbox Outbox; do
  for n in '' 1 2 3 4 5 6 7 8; do
    mkdir -p "$deep_dir/$box/~KestrinConduit$n.tmp" && printf 'mine\n' >"$deep_dir/$box/~KestrinConduit$n.tmp/keep.txt"
  done
done
printf 'to the handheld\n' >"$deep_dir/Outbox/$sent31"
mkdir -p "$drive/pc" && head -c 40000 /dev/urandom >"$drive/pc/$received"
run "$bin/handheld.exe" queue 'C:\Palm\Handheld' "C:\\pc\\$received" >/dev/null || fail "queueing $received"
run "$bin/handheld.exe" prefs 'C:\Palm\Handheld' --create >/dev/null || fail "making the handheld's preferences"
output=$(run 'C:\Palm\HotSync.exe')
cmp -s "$drive/pc/$received" "$deep_dir/Inbox/$received" || fail "the file was not received: $output"
[ ! -e "$deep_dir/Outbox/$sent31" ] || fail "the 31-character file was not sent: $output"
[ "$(cat "$deep_dir"/*/~KestrinConduit*.tmp/keep.txt | grep -c mine)" -eq 18 ] || fail "the user's folders changed"
output=$(cd "$download" &&
  run "$bin/SetupDriver.exe" run 'C:\Downloads\Kestrin\Setup.exe' --folder "${deep}k" --answer 'Restart Windows now?=no')
expect_told 'Cannot create specified directory!\nDirectory was selected by default.'
[ ! -e "${deep_dir}k" ] || fail "a folder of ${#deep}+1 characters was made"
for folder in 'C:\Łódź' 'C:\Кестрин'; do
  output=$(cd "$download" && run ./Setup.exe /S "/D=$folder")
  [ $? -eq 11 ] || fail "Setup into $folder did not fall back to the default folder: $output"
done
[ -z "$(ls "$drive" | grep -v '^[ -~]*$')" ] && [ ! -e "$drive/Lódz" ] || fail "a folder of another name was made: $(ls "$drive")"
[ "$(run reg query "$settings" /v PathToManager | grep -cF "$install_win")" -eq 1 ] || fail "not in the default folder"
output=$(cd "$install_dir" && run ./UnInstall.exe /S) || fail "UnInstall /S exited $?"
rm -rf "$deep_dir" "$drive/pc"
check_removed_after_restart

# 6. A reinstallation keeps the user's settings: a custom Outbox with files queued in it, changed
# policies, archiver and column widths stay, into the same folder and into another; the install
# paths are rewritten, the default Inbox moves with the install folder, and a missing or invalid
# value gets its default. The next HotSync sends the files queued in the custom Outbox.
fresh_pc reinstall-keeps-settings
custom_outbox='C:\users\Public\Documents\To Palm'
mkdir -p "$drive/users/Public/Documents/To Palm" "$prefix.queued"
for n in 1 2; do
  head -c $((n * 70000)) /dev/urandom >"$prefix.queued/queued$n.bin"
  cp "$prefix.queued/queued$n.bin" "$drive/users/Public/Documents/To Palm/"
done
# NAME|DATA: the user's values, as reg shows them.
kept=("FolderForSFiles|$custom_outbox" 'FromPalmToPC|0x0' 'FromPCToPalm|0x1' 'Archiver|0x1' 'NameWidth|0x12c'
  'TimeWidth|0x40')
for row in "${kept[@]}"; do
  type=REG_DWORD && [ "${row%%|*}" = FolderForSFiles ] && type=REG_SZ
  run reg add "$settings" /v "${row%%|*}" /t $type /d "${row#*|}" /f >/dev/null
done
run reg delete "$settings" /v SizeWidth /f >/dev/null
run reg add "$settings" /v DateWidth /t REG_DWORD /d 0 /f >/dev/null
# The files outside the layout; Setup writes the program group again.
outside_files() { snapshot | grep '^[0-9a-f]\{32\}  \./' | grep -v '/Start Menu/Programs/Orvelle/Kestrin/'; }
outside_files >"$prefix.before"
check_settings() { # INSTALL_FOLDER
  local row
  for row in "${kept[@]}"; do
    [ "$(reg_value "$settings" "${row%%|*}")" = "${row#*|}" ] || fail "${row%%|*} became $(reg_value "$settings" "${row%%|*}")"
  done
  for row in "PathToManager|$1" 'PathToHotSync|C:\Palm' "FolderForRFiles|$1\\Inbox" 'SizeWidth|0x56' 'DateWidth|0x56'; do
    [ "$(reg_value "$settings" "${row%%|*}")" = "${row#*|}" ] || fail "${row%%|*} is $(reg_value "$settings" "${row%%|*}")"
  done
}
output=$(cd "$download" && run ./Setup.exe /S) || fail "Setup /S again exited $?: $output"
check_settings "$install_win"
diff "$prefix.before" <(outside_files) >"$prefix.diff" || fail "outside the layout: $(cat "$prefix.diff")"
output=$(cd "$download" && run ./Setup.exe /S '/D=C:\Kestrin Again') || fail "Setup /S into another folder exited $?: $output"
check_settings 'C:\Kestrin Again'
run "$bin/handheld.exe" prefs 'C:\Palm\Handheld' --create >/dev/null || fail "making the handheld's preferences"
output=$(run 'C:\Palm\HotSync.exe')
for n in 1 2; do
  [ ! -e "$drive/users/Public/Documents/To Palm/queued$n.bin" ] &&
    run "$bin/handheld.exe" extract 'C:\Palm\Handheld' "queued$n.bin" "C:\\sent$n.bin" >/dev/null &&
    cmp -s "$prefix.queued/queued$n.bin" "$drive/sent$n.bin" || fail "queued$n.bin was not sent whole: $output"
done

echo "$failures installer-situation checks failed"
[ "$failures" -eq 0 ]

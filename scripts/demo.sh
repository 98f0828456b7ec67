#!/usr/bin/env bash
# Installs what is needed, builds, and shows the product's life as a user lives it, on an emulated PC
# with Palm Desktop: Setup from the distribution folder, a HotSync that moves files both ways through
# the installed Outbox and Inbox, then UnInstall, what it leaves, and a restart.
# The PC is a Wine prefix of its own, made afresh in BUILD/demo-pc (never ~/.wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$build" >/dev/null
build=$(cd "$build" && pwd)

prefix="$build/demo-pc"
export WINEPREFIX="$prefix" WINEARCH=win32 HOME="$build/winehome"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" LANG=C.UTF-8
stop_server() { wineserver -k >/dev/null 2>&1 </dev/null || true; }
trap stop_server EXIT
stop_server
rm -rf "$prefix"

run() { wine "$@" </dev/null 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
handheld() { run "$build/bin/handheld.exe" "$1" 'C:\Palm\Handheld' "${@:2}"; }
list() { (cd "$1" && find . -maxdepth 1 -type f -printf '    %f (%s bytes)\n' | sort); }
title() { printf '\n== %s\n' "$*"; }

title "A PC with Palm Desktop"
"$root/scripts/palm-desktop.sh" "$prefix" "$build"
drive="$prefix/drive_c"
install_dir="$drive/Program Files/Orvelle/Kestrin Manager"

title "Setup, from the distribution folder (silently: Setup.exe /S)"
download="$drive/Downloads/Kestrin"
mkdir -p "$download"
cp "$build/dist/"* "$download/"
echo "  C:\\Downloads\\Kestrin holds: $(cd "$download" && ls | tr '\n' ' ')"
status=0
(cd "$download" && run ./Setup.exe /S) || status=$?
echo "  Setup exited $status (0: every step succeeded)"
echo "  Install folder C:\\Program Files\\Orvelle\\Kestrin Manager:"
(cd "$install_dir" && find . -mindepth 1 -maxdepth 1 -printf '    %f\n' | sort)
echo "  HotSync folder C:\\Palm holds the conduit: $(cd "$drive/Palm" && ls KestrinConduit.dll)"
echo "  Registered conduits: $(run "$build/bin/condmgr_tool.exe" 'C:\Palm\condmgr.dll' list)"
group=$(find "$drive/users" -type d -path '*Start Menu/Programs/Orvelle/Kestrin' | head -n 1)
echo "  Start menu, Orvelle\\Kestrin:"
(cd "$group" && ls | sed 's/^/    /')
echo "  Settings store:"
run reg query 'HKCU\Software\Orvelle\Kestrin' | grep REG_ | sed 's/^ */    /'

title "Files waiting on both sides"
printf 'Buy milk.\nCall the office.\n' >"$install_dir/Outbox/notes.txt"
head -c 70000 /dev/urandom >"$install_dir/Outbox/Quarterly Report 2000.doc"
mkdir -p "$drive/pc"
printf 'Written on the handheld.\n' >"$drive/pc/memo.txt"
handheld queue 'C:\pc\memo.txt' >/dev/null
handheld prefs --create >/dev/null
echo "  Outbox:"; list "$install_dir/Outbox"
echo "  Inbox:"; list "$install_dir/Inbox"
echo "  Handheld:"; handheld list | sed 's/^/    /'

title "HotSync (C:\\Palm\\HotSync.exe finds the conduit through its registration)"
run 'C:\Palm\HotSync.exe' | sed 's/^/  /'

title "After the HotSync"
echo "  Outbox:"; list "$install_dir/Outbox"
echo "  Inbox:"; list "$install_dir/Inbox"
echo "  Handheld:"; handheld list | sed 's/^/    /'
handheld prefs | sed 's/^/  /'

title "UnInstall (silently: UnInstall.exe /S)"
status=0
(cd "$install_dir" && run ./UnInstall.exe /S) || status=$?
echo "  UnInstall exited $status (0: all six steps; 8: the Inbox was kept, it holds the received file)"
echo "  What stays in the install folder:"
(cd "$install_dir" && find . -mindepth 1 -printf '    %P\n' | sort)
echo "  Registered conduits: $(run "$build/bin/condmgr_tool.exe" 'C:\Palm\condmgr.dll' list)"
echo "  Start menu, Orvelle: [$(ls "$(dirname "$group")" | tr '\n' ' ')] (the Kestrin group is gone)"
wininit=$(find "$drive/windows" -maxdepth 1 -iname wininit.ini | head -n 1)
echo "  Wininit.ini deletes UnInstall.exe at the restart: $(tr -d '\r' <"$wininit" | tr '\n' ' ')"

title "After a restart of the PC"
run wineboot -r >/dev/null
echo "  Install folder:"
(cd "$install_dir" && find . -mindepth 1 -printf '    %P\n' | sort)
run 'C:\Palm\HotSync.exe' | head -n 1 | sed 's/^/  HotSync: /'

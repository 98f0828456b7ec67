#!/usr/bin/env bash
# Makes a 32-bit Wine prefix look like a PC with Palm Desktop installed: the HotSync folder C:\Palm
# with HotSync.exe (our HotSync host), condmgr.dll, SYNC20.dll, HSLOG20.dll and PalmCmn.dll, the
# emulated handheld C:\Palm\Handheld that HotSync.exe uses by default, and Palm Desktop's record of
# HotSync Manager's program, "HotSyncPath" under HKCU\Software\U.S. Robotics\Pilot Desktop\Core.
# Running it again refreshes the programs and keeps the handheld's databases and the registry.
# Leaves the prefix's wineserver running, its output closed; stop it with
# `WINEPREFIX=PREFIX wineserver -k`.
# Usage: palm-desktop.sh PREFIX [BUILD_DIR]   (BUILD_DIR default: $BUILD_DIR, else ./build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ] || [ -z "$1" ]; then
  echo "usage: $0 PREFIX [BUILD_DIR]" >&2
  exit 2
fi
build=$(cd "${2:-${BUILD_DIR:-$root/build}}" && pwd)
bin="$build/bin"
for file in hotsync.exe condmgr.dll SYNC20.dll HSLOG20.dll PalmCmn.dll; do
  if [ ! -f "$bin/$file" ]; then
    echo "palm-desktop: $bin/$file is missing: build first (scripts/build.sh)" >&2
    exit 1
  fi
done

prefix=$(realpath -m "$1")
if [ "$prefix" = "$(realpath -m ~/.wine)" ]; then
  echo "palm-desktop: refusing the user's own prefix ~/.wine: name a prefix of its own" >&2
  exit 2
fi
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEARCH=win32 HOME="$build/winehome"
export WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" LANG=C.UTF-8
mkdir -p "$HOME"

# Wine commands run with every output closed: a server they start would otherwise hold the caller's
# pipes open.
quiet() { "$@" >/dev/null 2>&1 </dev/null; }

quiet wineserver -p || true # fails when this prefix's server already runs
if [ ! -f "$prefix/system.reg" ]; then
  quiet wine wineboot -i
  quiet wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  quiet wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  # Processes that wineboot started know nothing of the display driver chosen after them.
  quiet wineserver -k || true
  quiet wineserver -w || true
  quiet wineserver -p
fi

palm="$prefix/drive_c/Palm"
mkdir -p "$palm/Handheld"
cp -f "$bin/hotsync.exe" "$palm/HotSync.exe"
for file in condmgr.dll SYNC20.dll HSLOG20.dll PalmCmn.dll; do
  cp -f "$bin/$file" "$palm/$file"
done
quiet wine reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v HotSyncPath /d 'C:\Palm\HotSync.exe' /f
echo "Palm Desktop is in $prefix: HotSync folder C:\\Palm, handheld C:\\Palm\\Handheld"

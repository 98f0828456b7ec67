#!/usr/bin/env bash
# Creates the build's own 32-bit Wine prefix (never ~/.wine) and starts its wineserver with every
# output closed, so that no test run waits on a pipe the server keeps open.
# Usage: wine-prefix.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 HOME="$build/winehome"
export WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" LANG=C.UTF-8
mkdir -p "$HOME"

# Runs a Wine command with no output and without the lock, which the server would otherwise keep.
quiet() { "$@" >/dev/null 2>&1 </dev/null 9>&-; }

# Wine's desktop process starts with the first window and inherits that program's output; a test's
# output pipe would then stay open for as long as the desktop lingers. Start it here, detached.
start_desktop() {
  setsid wine explorer.exe /desktop >/dev/null 2>&1 </dev/null 9>&- &
  local pid tries
  for tries in $(seq 50); do
    for pid in $(pgrep -f 'explorer.exe /desktop'); do
      tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
    done
    sleep 0.1
  done
}

exec 9>"$build/.wineprefix.lock"
flock 9
if [ ! -f "$WINEPREFIX/.kestrin-ready" ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  quiet wineserver -p
  quiet wine wineboot -i
  quiet wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  quiet wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/*.tt? "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  touch "$WINEPREFIX/.kestrin-ready"
  # The processes that wineboot started know nothing of the display driver chosen after them: a
  # fresh server starts them again with it.
  quiet wineserver -k || true
  quiet wineserver -w || true
fi
quiet wineserver -p || true # fails when this prefix's server already runs
quiet wine wineboot
start_desktop

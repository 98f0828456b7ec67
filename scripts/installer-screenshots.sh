#!/usr/bin/env bash
# Takes a screenshot of Setup's dialog before Install and of UnInstall's dialog after a complete
# removal (every step marked) under Xvfb and Wine, and saves them as docs/screenshots/setup.png and
# uninstall.png.
# Usage: scripts/installer-screenshots.sh BUILD_DIR [OUTPUT_DIR]
# Makes a Wine prefix of its own, BUILD_DIR/wineprefix-installer-shots, afresh each time: a PC with
# Palm Desktop (scripts/palm-desktop.sh) and the X11 display driver, on which the distribution folder
# is unpacked into C:\Downloads\Kestrin. The tests' prefixes are never touched.
set -euo pipefail
build=$(cd "${1:?usage: installer-screenshots.sh BUILD_DIR [OUTPUT_DIR]}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
out=${2:-$here/docs/screenshots}
for file in Setup.exe data.z unrar.dll; do
  if [ ! -f "$build/dist/$file" ]; then
    echo "installer-screenshots: $build/dist/$file is missing: build first (scripts/build.sh)" >&2
    exit 1
  fi
done

export WINEPREFIX="$build/wineprefix-installer-shots"
. "$here/scripts/screenshot-display.sh"

# Setup must find a PC on which Kestrin is not installed yet.
quiet wineserver -k || true
rm -rf "$WINEPREFIX"
quiet "$here/scripts/palm-desktop.sh" "$WINEPREFIX" "$build"
quiet wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f
# Free stand-ins (fonts-liberation, fonts-comic-neue) for the faces of the two dialogs' headlines.
classic_look 'Times New Roman=Liberation Serif' 'Comic Sans MS=Comic Neue'
# The programs that palm-desktop.sh left running know nothing of the display driver chosen now.
quiet wineserver -k || true
quiet wineserver -w || true
quiet wineserver -p

download="$WINEPREFIX/drive_c/Downloads/Kestrin"
mkdir -p "$download"
cp "$build/dist/"* "$download/"

shoot() { # DRIVER FILE
  sleep 2
  crop "$2" $(wine "$build/bin/$1" rect | tr -d '\r')
}

# The drivers' output goes to a file: the program they start inherits it and keeps a pipe open.
log="$build/installer-shots.log"

# Setup's dialog as it opens, before Install.
wine "$build/bin/SetupDriver.exe" start 'C:\Downloads\Kestrin\Setup.exe' >"$log" 2>&1 </dev/null || {
  echo "installer-screenshots: Setup's dialog did not open: $(cat "$log")" >&2
  exit 1
}
shoot SetupDriver.exe setup.png
quiet wine "$build/bin/SetupDriver.exe" cancel

# Install silently, then remove through UnInstall's dialog; with nothing added to Inbox or Outbox
# every step succeeds.
status=0
(cd "$download" && quiet wine ./Setup.exe /S) || status=$?
if [ "$status" -ne 0 ]; then
  echo "installer-screenshots: Setup.exe /S exited $status" >&2
  exit 1
fi
wine "$build/bin/UnInstallDriver.exe" start 'C:\Program Files\Orvelle\Kestrin Manager\UnInstall.exe' \
  >"$log" 2>&1 </dev/null || true
if ! tr -d '\r' <"$log" | grep -qx 'marks 1 2 3 4 5 6'; then
  echo "installer-screenshots: UnInstall did not mark all six steps: $(cat "$log")" >&2
  exit 1
fi
shoot UnInstallDriver.exe uninstall.png
quiet wine "$build/bin/UnInstallDriver.exe" finish

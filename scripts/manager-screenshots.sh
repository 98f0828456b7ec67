#!/usr/bin/env bash
# Takes a screenshot of each page of KestrinManager (Files, Settings, About) under Xvfb and Wine and
# saves them as docs/screenshots/manager-files.png, manager-settings.png and manager-about.png.
# Usage: scripts/manager-screenshots.sh BUILD_DIR [OUTPUT_DIR]
# Uses a Wine prefix of its own (BUILD_DIR/wineprefix-shots) with the X11 display driver and
# sample files inside it; the tests' prefix is never touched.
set -euo pipefail
build=$(cd "${1:?usage: manager-screenshots.sh BUILD_DIR [OUTPUT_DIR]}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
out=${2:-$here/docs/screenshots}
export WINEPREFIX="$build/wineprefix-shots"
. "$here/scripts/screenshot-display.sh"

if [ ! -f "$WINEPREFIX/.kestrin-shots-ready" ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  quiet wineserver -p
  quiet wine wineboot -i
  quiet wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  # Metric-compatible stand-ins (fonts-liberation) for the two faces of the About page.
  classic_look 'Courier New=Liberation Mono' 'Times New Roman=Liberation Serif'
  quiet wineserver -k
  touch "$WINEPREFIX/.kestrin-shots-ready"
fi
quiet wineserver -p

# Sample files waiting for the handheld, with fixed dates, where Setup would put the folders.
samples="$WINEPREFIX/drive_c/Program Files/Orvelle/Kestrin Manager"
rm -rf "$samples"
mkdir -p "$samples/Outbox" "$samples/Inbox"
i=0
for name in "Quarterly report.doc" "Holiday photo.jpg" "Meeting notes.txt" "Product sheet.pdf" \
  "Kestrin Reader.prc" "Old mail.zip" "Theme song.wav" "Trailer.avi" "index.htm" "main.c" \
  "Setup.exe" "Big picture.bmp" "Fonts.ttf" "Shopping list"; do
  head -c $((700 + i * 1733)) /dev/zero | tr '\0' 'k' >"$samples/Outbox/$name"
  touch -d "2003-0$((i % 9 + 1))-1$((i % 10)) 1$((i % 10)):$((10 + i * 3)):00" "$samples/Outbox/$name"
  i=$((i + 1))
done

key='HKCU\Software\Orvelle\Kestrin'
quiet wine reg add "$key" /v FolderForSFiles /d "$(winepath -w "$samples/Outbox")" /f
quiet wine reg add "$key" /v FolderForRFiles /d "$(winepath -w "$samples/Inbox")" /f
quiet wine reg add "$key" /v FromPCToPalm /t REG_DWORD /d 2 /f
quiet wine reg add "$key" /v FromPalmToPC /t REG_DWORD /d 0 /f
quiet wine reg add "$key" /v NameWidth /t REG_DWORD /d 202 /f
for value in SizeWidth DateWidth TimeWidth; do quiet wine reg add "$key" /v $value /t REG_DWORD /d 86 /f; done
quiet wine reg add "$key" /v Archiver /t REG_DWORD /d 1 /f

cd "$build/bin"
wine ./KestrinManager.exe >/dev/null 2>&1 </dev/null &
manager=$!
wine ./ManagerDriver.exe wait
sleep 2
rect=$(wine ./ManagerDriver.exe rect | tr -d '\r')
shoot() {
  sleep 1.5
  crop "$1" $rect
}
shoot manager-files.png
wine ./ManagerDriver.exe page 1
shoot manager-settings.png
wine ./ManagerDriver.exe page 2
shoot manager-about.png
wine ./ManagerDriver.exe page 0
wine ./ManagerDriver.exe close
wait "$manager"

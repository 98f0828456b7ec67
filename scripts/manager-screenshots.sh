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
mkdir -p "$out"
out=$(cd "$out" && pwd)

export WINEPREFIX="$build/wineprefix-shots" WINEARCH=win32 HOME="$build/winehome-shots"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" LANG=C.UTF-8
mkdir -p "$HOME"
quiet() { "$@" >/dev/null 2>&1 </dev/null; }

# A display of our own.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
xvfb=$!
export DISPLAY=":$display"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

if [ ! -f "$WINEPREFIX/.kestrin-shots-ready" ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  quiet wineserver -p
  quiet wine wineboot -i
  quiet wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  # No window manager runs here: Wine draws the window frames itself.
  quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  quiet wine reg add 'HKCU\Control Panel\Colors' /v Background /d '0 128 128' /f
  # The classic look: no visual theme, and Windows' own raster MS Sans Serif for the dialog font.
  quiet wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f
  cp -n /usr/share/wine/fonts/*.fon /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  rm -f "$WINEPREFIX/drive_c/windows/Fonts/ms_sans_serif.ttf"
  # Metric-compatible stand-ins (fonts-liberation) for the two faces of the About page.
  quiet wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' /f
  quiet wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f
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
read -r left top width height < <(wine ./ManagerDriver.exe rect | tr -d '\r')
shoot() {
  sleep 1.5
  import -window root -crop "${width}x${height}+${left}+${top}" +repage "$out/$1"
  echo "saved $out/$1"
}
shoot manager-files.png
wine ./ManagerDriver.exe page 1
shoot manager-settings.png
wine ./ManagerDriver.exe page 2
shoot manager-about.png
wine ./ManagerDriver.exe page 0
wine ./ManagerDriver.exe close
wait "$manager"

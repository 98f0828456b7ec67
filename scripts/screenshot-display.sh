# What the screenshot scripts share, sourced after they have set build, here and out: Wine quietly
# in the prefix WINEPREFIX, a display of its own under Xvfb, the classic look and the crop of a
# window out of the screen.
export WINEARCH=win32 HOME="$build/winehome-shots"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" LANG=C.UTF-8
mkdir -p "$HOME" "$out"
out=$(cd "$out" && pwd)
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

# classic_look [FACE=STAND_IN]...: Wine draws the window frames itself (no window manager runs here)
# on a teal desktop, with no visual theme, Windows' own raster MS Sans Serif for the dialog font and
# free stand-ins for the faces named.
classic_look() {
  quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  quiet wine reg add 'HKCU\Control Panel\Colors' /v Background /d '0 128 128' /f
  quiet wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f
  cp -n /usr/share/wine/fonts/*.fon /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  rm -f "$WINEPREFIX/drive_c/windows/Fonts/ms_sans_serif.ttf"
  local pair
  for pair in "$@"; do
    quiet wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /d "${pair#*=}" /f
  done
}

# crop FILE LEFT TOP WIDTH HEIGHT: saves that part of the screen as out/FILE.
crop() {
  import -window root -crop "${4}x${5}+${2}+${3}" +repage "$out/$1"
  echo "saved $out/$1"
}

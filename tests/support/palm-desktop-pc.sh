# Sourced by the shell checks that run on an emulated PC with Palm Desktop: makes the fresh prefix
# $prefix with scripts/palm-desktop.sh (from $source_dir, with the build $build), sets Wine up for
# it, stops its wine server at the end, and defines drive (its C: drive) and run (a Windows program
# with its output, carriage returns dropped, and its exit status) and reg_value (one registry value's
# data as reg shows it).
export WINEPREFIX="$prefix" WINEARCH=win32 HOME="$build/winehome"
export WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" LANG=C.UTF-8
stop_server() { wineserver -k >/dev/null 2>&1 </dev/null || true; }
trap stop_server EXIT

stop_server
rm -rf "$prefix"
"$source_dir/scripts/palm-desktop.sh" "$prefix" "$build" >/dev/null || { echo "FAIL: palm-desktop.sh"; exit 1; }
drive="$prefix/drive_c"

run() { wine "$@" </dev/null 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
reg_value() { run reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }

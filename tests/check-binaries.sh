#!/usr/bin/env bash
# Checks the link-level contract of the built binaries: the conduit's exports and its imports from
# the Palm DLLs, unrar.dll's and the Conduit Manager's exports, the resources of the manager, Setup
# and UnInstall, their application manifests, and that no binary needs a MinGW runtime DLL.
# Usage: check-binaries.sh BIN_DIR
set -uo pipefail
bin=$1
objdump=i686-w64-mingw32-objdump
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The "DLL Name" blocks of a binary's import table, one "dll member" line per import.
imports() {
  "$objdump" -p "$1" | awk '/DLL Name:/ { dll = $3; next }
    dll != "" && NF == 0 { dll = "" }
    dll != "" && $1 ~ /^[0-9a-f]+$/ { print dll, ($3 == "<none>" ? "#" $2 : $3) }'
}

# The version resource's strings, as UTF-8.
version_texts() {
  wrestool -x --raw --type=16 "$1" 2>/dev/null | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -d '\0'
}

exports() {
  "$objdump" -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { on = 0 }
    on { print $NF }' | sort
}

for binary in "$bin"/*.exe "$bin"/*.dll; do
  [ -e "$binary" ] || continue
  if grep -qiE '^(libgcc|libstdc|libwinpthread)' <<<"$(imports "$binary")"; then
    fail "$(basename "$binary") imports a MinGW runtime DLL"
  fi
done

# UnInstall: dialog 102 and icon group 128; the Conduit Manager is only ever loaded at run time.
uninstall="$bin/UnInstall.exe"
resources=$(wrestool -l "$uninstall" 2>/dev/null)
grep -q -- '--type=5 --name=102 ' <<<"$resources" || fail "UnInstall.exe has no dialog template 102"
grep -q -- '--type=14 --name=128 ' <<<"$resources" || fail "UnInstall.exe has no icon group 128"
grep -q -- '--type=16 ' <<<"$resources" || fail "UnInstall.exe has no version resource"
if grep -qi '^condmgr\.dll ' <<<"$(imports "$uninstall")"; then
  fail "UnInstall.exe imports condmgr.dll"
fi
[ -n "$(imports "$uninstall")" ] || fail "UnInstall.exe: no import table read"
for text in "Kestrin uninstallator" "Kestrin UnInstall" "UnInstall.EXE"; do
  grep -qF "$text" <<<"$(version_texts "$uninstall")" || fail "UnInstall.exe version resource lacks \"$text\""
done

conduit="$bin/KestrinConduit.dll"
expected_exports=$'CfgConduit\nConfigureConduit\nGetConduitInfo\nGetConduitName\nGetConduitVersion\nOpenConduit'
[ "$(exports "$conduit")" = "$expected_exports" ] || fail "KestrinConduit.dll exports: $(exports "$conduit" | tr '\n' ' ')"

conduit_imports=$(imports "$conduit")
for needed in "SYNC20.dll #22" "SYNC20.dll #23" "SYNC20.dll SyncReadAppPreference" \
              "SYNC20.dll SyncWriteAppPreference" "SYNC20.dll SyncHostToHHWord" \
              "HSLOG20.dll #52" "PalmCmn.dll #2" "PalmCmn.dll #3"; do
  grep -qx "$needed" <<<"$conduit_imports" || fail "KestrinConduit.dll does not import $needed"
done
# Palm's ordinal-only calls must never be imported by a name our own builds happen to know.
if grep -E '^(SYNC20|HSLOG20|PalmCmn)\.dll ' <<<"$conduit_imports" | grep -E ' (Emu|SyncRegister|SyncUnRegister|SyncOpenDB|SyncCreateDB|SyncCloseDB|SyncDeleteDB|SyncWriteRec|SyncReadRecordByIndex|LogAddEntry|PalmLoad|PalmFree)'; then
  fail "KestrinConduit.dll imports an ordinal-only Palm call by name"
fi

# unrar.dll: RARLAB's calls by their undecorated names, and nothing imported but system DLLs.
unrar="$bin/unrar.dll"
expected_unrar=$'RARCloseArchive\nRARGetDllVersion\nRAROpenArchive\nRAROpenArchiveEx\nRARProcessFile\nRARProcessFileW\nRARReadHeader\nRARReadHeaderEx\nRARSetCallback\nRARSetChangeVolProc\nRARSetPassword\nRARSetProcessDataProc'
[ "$(exports "$unrar")" = "$expected_unrar" ] || fail "unrar.dll exports: $(exports "$unrar" | tr '\n' ' ')"
unrar_dlls=$(imports "$unrar" | cut -d' ' -f1 | sort -u | tr '[:upper:]' '[:lower:]' | tr '\n' ' ')
[ "$unrar_dlls" = "kernel32.dll msvcrt.dll " ] || fail "unrar.dll imports from: $unrar_dlls"

# The Conduit Manager: its calls by undecorated name, nothing else.
condmgr="$bin/condmgr.dll"
expected_condmgr=$'CmGetConduitCount\nCmGetCreatorIDByIndex\nCmGetCreatorName\nCmGetCreatorPriority\nCmInstallCreator\nCmRemoveConduitByCreatorID\nCmSetCreatorName\nCmSetCreatorPriority'
[ "$(exports "$condmgr")" = "$expected_condmgr" ] || fail "condmgr.dll exports: $(exports "$condmgr" | tr '\n' ' ')"

# The manager's resources: dialog 103, icon group 128, and the bitmaps at their sizes and depths.
manager="$bin/KestrinManager.exe"
resources=$(wrestool -l "$manager" 2>/dev/null)
grep -q -- '--type=5 --name=103 ' <<<"$resources" || fail "KestrinManager.exe has no dialog template 103"
grep -q -- '--type=14 --name=128 ' <<<"$resources" || fail "KestrinManager.exe has no icon group 128"
# "width height bits" of a bitmap resource, from its BITMAPINFOHEADER.
bitmap_shape() {
  wrestool -x --raw --type=2 --name="$1" "$manager" 2>/dev/null | od -An -t d4 -j4 -N8 | tr -s ' ' | sed 's/^ //' | tr '\n' ' '
  wrestool -x --raw --type=2 --name="$1" "$manager" 2>/dev/null | od -An -t d2 -j14 -N2 | tr -d ' '
}
for expected in "129:48 19 4" "130:48 19 1" "131:83 67 4" "132:1392 16 8" "133:1392 16 1"; do
  name=${expected%%:*}
  shape=$(bitmap_shape "$name")
  [ "$shape" = "${expected#*:}" ] || fail "KestrinManager.exe bitmap $name is '$shape', not '${expected#*:}'"
done

# Setup's resources: dialog 102, icon group 128 with one 32x32 16-colour image, bitmap 132 of 164x287
# in 256 colours, the version resource; unrar.dll and condmgr.dll are loaded at run time, never imported.
setup="$bin/Setup.exe"
resources=$(wrestool -l "$setup" 2>/dev/null)
grep -q -- '--type=5 --name=102 ' <<<"$resources" || fail "Setup.exe has no dialog template 102"
grep -q -- '--type=14 --name=128 ' <<<"$resources" || fail "Setup.exe has no icon group 128"
grep -q -- '--type=16 ' <<<"$resources" || fail "Setup.exe has no version resource"
# Icon group: count of images, then per image width, height, colours, bits per pixel.
icon_group=$(wrestool -x --raw --type=14 --name=128 "$setup" 2>/dev/null | od -An -t u1 -v | tr -s ' \n' ' ')
read -r -a icon_bytes <<<"$icon_group"
[ "${icon_bytes[4]:-}" = 1 ] && [ "${icon_bytes[6]:-}" = 32 ] && [ "${icon_bytes[7]:-}" = 32 ] &&
  [ "${icon_bytes[8]:-}" = 16 ] && [ "${icon_bytes[12]:-}" = 4 ] ||
  fail "Setup.exe icon group 128 is not one 32x32 16-colour image: $icon_group"
setup_bitmap=$(wrestool -x --raw --type=2 --name=132 "$setup" 2>/dev/null | od -An -t d4 -j4 -N8 | tr -s ' ' | sed 's/^ //' | tr '\n' ' '
  wrestool -x --raw --type=2 --name=132 "$setup" 2>/dev/null | od -An -t d2 -j14 -N2 | tr -d ' ')
[ "$setup_bitmap" = "164 287 8" ] || fail "Setup.exe bitmap 132 is '$setup_bitmap', not '164 287 8'"
if grep -qiE '^(unrar|condmgr)\.dll ' <<<"$(imports "$setup")"; then
  fail "Setup.exe imports unrar.dll or condmgr.dll"
fi
for text in "Kestrin installator" "Kestrin Setup" "Setup.EXE"; do
  grep -qF "$text" <<<"$(version_texts "$setup")" || fail "Setup.exe version resource lacks \"$text\""
done

# Application manifests (resource 1 of type 24): the rights each program asks Windows for, the
# Windows versions it is made for, the themed common controls and system DPI awareness. Windows
# refuses to start a program whose manifest is not well-formed XML. The libraries carry none.
manifest_parts=('<supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"/>'
  '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'
  '>true</dpiAware>' '>system</dpiAwareness>')
for expected in Setup.exe:requireAdministrator UnInstall.exe:requireAdministrator KestrinManager.exe:asInvoker; do
  program=${expected%%:*}
  text=$(wrestool -x --raw --type=24 --name=1 "$bin/$program" 2>/dev/null)
  python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parseString(sys.stdin.buffer.read())' <<<"$text" 2>/dev/null ||
    fail "$program has no well-formed manifest"
  for part in "<requestedExecutionLevel level=\"${expected#*:}\"" "${manifest_parts[@]}"; do
    grep -qF -- "$part" <<<"$text" || fail "$program manifest lacks $part"
  done
done
for library in KestrinConduit.dll unrar.dll; do
  if grep -q -- '--type=24 ' <<<"$(wrestool -l "$bin/$library" 2>/dev/null)"; then
    fail "$library carries a manifest"
  fi
done

echo "$failures binary checks failed"
[ "$failures" -eq 0 ]

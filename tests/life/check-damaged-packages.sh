#!/usr/bin/env bash
# Setup run from a damaged download on a PC where Kestrin is installed and in use: whatever the
# damage, Setup ends with its exit code before it writes anything, the whole PC stays byte for byte
# as it was (the installation, Palm's own Conduit Manager, the Settings store and the uninstall entry
# included, and no temporary file anywhere), and the next HotSync still runs Kestrin's conduit. A
# first installation that fails leaves the PC as it found it.
# Usage: check-damaged-packages.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
prefix="$build/installer-damaged-packages"
source "$source_dir/tests/life/kestrin-pc.sh"
package="$build/dist/data.z"

# The PC as it is, but the damaged download itself.
whole_pc() { snapshot_all | grep -v ' \./Downloads/Kestrin/data\.z$'; }

# Kestrin in use: a file received from the handheld in the Inbox, one queued in the Outbox, a policy
# changed from its default.
fresh_pc damaged-packages
mkdir -p "$drive/pc"
head -c 300000 /dev/urandom >"$drive/pc/received.bin"
head -c 200000 /dev/urandom >"$drive/pc/queued.bin"
run "$bin/handheld.exe" queue 'C:\Palm\Handheld' 'C:\pc\received.bin' >/dev/null || fail "queueing on the handheld"
run "$bin/handheld.exe" prefs 'C:\Palm\Handheld' --create >/dev/null || fail "making the handheld's preferences"
output=$(run 'C:\Palm\HotSync.exe')
cmp -s "$drive/pc/received.bin" "$install_dir/Inbox/received.bin" || fail "nothing was received: $output"
cp "$drive/pc/queued.bin" "$install_dir/Outbox/queued.bin"
run reg add "$settings" /v FromPCToPalm /t REG_DWORD /d 0 /f >/dev/null
whole_pc >"$prefix.installed"

# DAMAGE|EXIT: how the download's data.z is damaged (tests/life/damage-package.py), and what the
# silent Setup exits with.
rows=(
  'flip 1|6'
  'flip 3|6'
  'cut 2|6'
  'main-header|5'
  'drop 3|19'
  'add ReadMe.txt|19'
  'rename 1 condmgr.dll|19'
  'folder 2|19'
  'swap 2 4|19'
)
for row in "${rows[@]}"; do
  situation="damaged package: ${row%|*}"
  python3 "$source_dir/tests/life/damage-package.py" "$package" "$download/data.z" ${row%|*} ||
    fail "damaging the package"
  output=$(cd "$download" && run ./Setup.exe /S)
  status=$?
  [ "$status" -eq "${row#*|}" ] || fail "Setup /S exited $status, not ${row#*|}: $output"
  cmp -s "$bin/condmgr.dll" "$drive/Palm/condmgr.dll" || fail "Palm's condmgr.dll changed"
  diff "$prefix.installed" <(whole_pc) >"$prefix.diff" || fail "the PC changed: $(cat "$prefix.diff")"
done

# What the user is told through the dialog, answering the abort question Yes where it is asked.
# DAMAGE|MESSAGES
rows=(
  'flip 2|message: CRC error\nmessage: Do you want to abort this installation?'
  'rename 1 condmgr.dll|message: Archive header broken'
)
for row in "${rows[@]}"; do
  IFS='|' read -r damage told <<<"$row"
  situation="damaged package in the dialog: $damage"
  python3 "$source_dir/tests/life/damage-package.py" "$package" "$download/data.z" $damage ||
    fail "damaging the package"
  output=$(cd "$download" && run "$bin/SetupDriver.exe" run 'C:\Downloads\Kestrin\Setup.exe' \
    --folder "$install_win" --answer 'abort=yes')
  [ "$(grep '^message: ' <<<"$output")" = "$(printf '%b' "$told")" ] || fail "Setup's dialog: $output"
  diff "$prefix.installed" <(whole_pc) >"$prefix.diff" || fail "the PC changed: $(cat "$prefix.diff")"
done

# After all of it, HotSync still runs Kestrin's conduit, which sends the queued file.
situation="damaged packages: the HotSync after"
output=$(run 'C:\Palm\HotSync.exe')
grep -q "OpenConduit returned 0" <<<"$output" || fail "Kestrin's conduit did not run: $output"
[ ! -e "$install_dir/Outbox/queued.bin" ] || fail "queued.bin was not sent: $output"
run "$bin/handheld.exe" extract 'C:\Palm\Handheld' queued.bin 'C:\pc\sent.bin' >/dev/null &&
  cmp -s "$drive/pc/queued.bin" "$drive/pc/sent.bin" || fail "queued.bin did not reach the handheld whole"

# A first installation that fails takes back everything it made: the PC stays as it was, without a
# folder, file, registry value or shortcut of Kestrin's.
# DAMAGE|EXIT: the download's data.z damaged, or unrar.dll or Palm's condmgr.dll missing, and what the
# silent Setup exits with.
new_pc failed-first-installation
whole_pc >"$prefix.new"
for row in 'cut 2|6' 'no-unrar|3' 'no-condmgr|8'; do
  situation="failed first installation: ${row%|*}"
  case ${row%|*} in
    no-unrar) rm "$download/unrar.dll" ;;
    no-condmgr) mv "$drive/Palm/condmgr.dll" "$prefix.condmgr" ;;
    *) python3 "$source_dir/tests/life/damage-package.py" "$package" "$download/data.z" ${row%|*} ;;
  esac
  output=$(cd "$download" && run ./Setup.exe /S)
  status=$?
  [ ! -e "$prefix.condmgr" ] || mv "$prefix.condmgr" "$drive/Palm/condmgr.dll"
  cp "$build/dist/"* "$download/"
  [ "$status" -eq "${row#*|}" ] || fail "Setup /S exited $status, not ${row#*|}: $output"
  diff "$prefix.new" <(whole_pc) >"$prefix.diff" || fail "the PC changed: $(cat "$prefix.diff")"
done

echo "$failures damaged-package checks failed"
[ "$failures" -eq 0 ]

# Sourced by the situation checks after they set source_dir, build and prefix: a fresh Palm Desktop
# PC with the user's own files and other programs' traces (new_pc), the same with Kestrin installed
# from its distribution folder (fresh_pc), snapshots of the PC, and the checks' own fail and
# expect_told. Each situation names itself in its first call, for the failures it reports.
bin="$build/bin"
failures=0
situation=
fail() { echo "FAIL ($situation): $*"; failures=$((failures + 1)); }

install_win='C:\Program Files\Orvelle\Kestrin Manager'
settings='HKCU\Software\Orvelle\Kestrin'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrin Manager'
protected=
unprotect() { [ -z "$protected" ] || chattr -i "$protected" 2>/dev/null; protected=; }
trap 'unprotect; wineserver -k >/dev/null 2>&1 </dev/null' EXIT

# A PC with Palm Desktop, the user's own files and other programs' traces, and Kestrin's
# distribution folder downloaded; $prefix.before holds its snapshot.
new_pc() {
  situation=$1
  unprotect
  source "$source_dir/tests/support/palm-desktop-pc.sh"
  install_dir="$drive/Program Files/Orvelle/Kestrin Manager"
  download="$drive/Downloads/Kestrin"
  mkdir -p "$drive/users/Public/Documents" "$drive/Other" "$download"
  head -c 70000 /dev/urandom >"$drive/users/Public/Documents/report.doc"
  printf 'old\n' >"$drive/Other/old.tmp"
  printf 'update\n' >"$drive/Other/update.dll"
  printf '[rename]\r\nNUL=C:\\Other\\old.tmp\r\nC:\\Other\\new.dll=C:\\Other\\update.dll\r\n' \
    >"$drive/windows/wininit.ini"
  run reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Other App' /v UninstallString \
    /d '"C:\Other\remove.exe"' /f >/dev/null
  run reg add 'HKCU\Software\Orvelle\Other' /v Kept /d yes /f >/dev/null
  run "$bin/condmgr_tool.exe" 'C:\Palm\condmgr.dll' register memo Memo.dll 1 >/dev/null
  cp "$build/dist/"* "$download/"
  snapshot >"$prefix.before"
}

# new_pc, then Kestrin installed silently from its distribution folder.
fresh_pc() {
  new_pc "$1"
  output=$(cd "$download" && run ./Setup.exe /S) || fail "Setup /S exited $?: $output"
}

# Everything outside the installed layout that a removal must leave as it was: files and their
# contents (but the Windows folder, the install folder and the handheld), other programs' uninstall entries,
# the keys beside the Settings store and the other conduits' registrations.
snapshot() {
  (cd "$drive" && find . -path ./windows -prune -o -path './Program Files/Orvelle/Kestrin Manager' -prune \
    -o -path ./Palm/Handheld -prune \
    -o -type f -print0 | sort -z | xargs -0 md5sum)
  run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | grep -v 'Kestrin Manager'
  run reg query 'HKCU\Software\Orvelle' /s | grep -v '\\Kestrin$'
  run "$bin/condmgr_tool.exe" 'C:\Palm\condmgr.dll' list
}

# The whole PC, the installed layout included: every folder and file of the drive with its contents,
# Kestrin's Settings store and uninstall entry beside the other programs', the registrations and the
# deletions waiting for a restart.
snapshot_all() {
  (cd "$drive" && find . -type d -print | sort && find . -type f -print0 | sort -z | xargs -0 md5sum)
  run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s
  run reg query 'HKCU\Software\Orvelle' /s
  run reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations
  run "$bin/condmgr_tool.exe" 'C:\Palm\condmgr.dll' list
}

expect_told() { grep -qF "$1" <<<"$output" || fail "expected '$1' in: $output"; }

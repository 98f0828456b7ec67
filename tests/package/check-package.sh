#!/usr/bin/env bash
# Checks RAR archives written by package/rar_writer.py, and the built package data.z, with readers
# that no one here wrote: lsar/unar, 7z and bsdtar accept them, list the members in order and
# unpack them byte for byte. Kestrin.prc is read back with Perl's Palm::PDB.
# Usage: check-package.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
work="$build/package-check"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work"
mkdir -p "$work/members" "$work/archive"

# Members: random bytes over several 64 KiB pieces, an empty file, one byte, a name with spaces,
# and one dated before 1980 (stored as the earliest DOS time).
head -c 200000 /dev/urandom >"$work/members/random.bin"
: >"$work/members/empty.txt"
printf 'x' >"$work/members/one byte.dat"
printf 'old\n' >"$work/members/old.txt"
touch -d '1975-06-01 12:00:00' "$work/members/old.txt"
members=("random.bin" "empty.txt" "one byte.dat" "old.txt")
member_paths=()
for m in "${members[@]}"; do member_paths+=("$work/members/$m"); done
python3 "$source_dir/package/rar_writer.py" "$work/archive/test.rar" "${member_paths[@]}"

# check_archive ARCHIVE SOURCE_FOLDER NAME...: the three readers against the named members in order.
check_archive() {
  local archive=$1 sources=$2
  shift 2
  local expected
  expected=$(printf '%s\n' "$@")
  local label
  label=$(basename "$archive")

  lsar -t "$archive" >/dev/null 2>&1 || fail "lsar -t rejects $label"
  7z t -trar "$archive" >/dev/null 2>&1 || fail "7z t rejects $label"
  bsdtar -tf "$archive" >/dev/null 2>&1 || fail "bsdtar -tf rejects $label"

  [ "$(lsar "$archive" | tail -n +2)" = "$expected" ] || fail "lsar lists $label as: $(lsar "$archive" | tail -n +2 | tr '\n' '|')"
  [ "$(bsdtar -tf "$archive")" = "$expected" ] || fail "bsdtar lists $label as: $(bsdtar -tf "$archive" | tr '\n' '|')"
  [ "$(7z l -slt -trar "$archive" | sed -n 's/^Path = //p' | tail -n +2)" = "$expected" ] || fail "7z lists $label in another order"

  local reader
  for reader in unar 7z bsdtar; do
    local out="$work/out-$reader"
    rm -rf "$out" && mkdir -p "$out"
    case $reader in
      unar) unar -q -D -o "$out" "$archive" >/dev/null 2>&1 ;;
      7z) 7z x -trar -o"$out" "$archive" >/dev/null 2>&1 ;;
      bsdtar) bsdtar -xf "$archive" -C "$out" ;;
    esac || fail "$reader cannot unpack $label"
    local name
    for name in "$@"; do
      cmp -s "$sources/$name" "$out/$name" || fail "$reader unpacks $name from $label wrongly"
    done
  done

  # The header fields 7z shows: Win32 host, stored, archive attribute, the source's time.
  7z l -slt -trar "$archive" | grep -q '^Host OS = Win32' || fail "$label: host OS is not Win32"
  [ "$(7z l -slt -trar "$archive" | grep -c '^Method = m0')" -eq $# ] || fail "$label: not every entry is stored"
  [ "$(7z l -slt -trar "$archive" | grep -c '^Attributes = A$')" -eq $# ] || fail "$label: attributes are not 0x20"
}

check_archive "$work/archive/test.rar" "$work/members" "${members[@]}"

# DOS time of the source, to its two seconds; before 1980 the earliest DOS time.
listed_time() { 7z l -slt -trar "$1" | awk -v n="$2" '/^Path = /{p=substr($0,8)} /^Modified = /&&p==n{print substr($0,12,19)}'; }
expected_time=$(date -d "@$(( $(stat -c %Y "$work/members/random.bin") / 2 * 2 ))" '+%Y-%m-%d %H:%M:%S')
[ "$(listed_time "$work/archive/test.rar" random.bin)" = "$expected_time" ] || fail "random.bin's time is not its source's"
[ "$(listed_time "$work/archive/test.rar" old.txt)" = "1980-01-01 00:00:00" ] || fail "a time before 1980 is not the earliest DOS time"

# A corrupt data byte is caught by the CRC-32 the writer stored.
cp "$work/archive/test.rar" "$work/archive/corrupt.rar"
printf '\xff' | dd of="$work/archive/corrupt.rar" bs=1 seek=1000 conv=notrunc 2>/dev/null
! lsar -t "$work/archive/corrupt.rar" >/dev/null 2>&1 || fail "lsar accepts a corrupt data byte"
! 7z t -trar "$work/archive/corrupt.rar" >/dev/null 2>&1 || fail "7z accepts a corrupt data byte"
rm "$work/archive/corrupt.rar"

# The built package: the conduit first, then the manager, UnInstall when built, the handheld app.
package_members=(KestrinConduit.dll KestrinManager.exe)
[ -e "$build/bin/UnInstall.exe" ] && package_members+=(UnInstall.exe)
package_members+=(Kestrin.prc)
mkdir -p "$work/sources"
for m in "${package_members[@]}"; do
  if [ "$m" = Kestrin.prc ]; then cp "$build/package/$m" "$work/sources/"; else cp "$build/bin/$m" "$work/sources/"; fi
done
check_archive "$build/dist/data.z" "$work/sources" "${package_members[@]}"
[ -e "$build/dist/unrar.dll" ] || fail "build/dist has no unrar.dll"

# Kestrin.prc as an independent Palm database reader sees it.
prc_view=$(perl -MPalm::PDB -MPalm::Raw -e '
  Palm::PDB::RegisterPRCHandlers("Palm::Raw", "");
  my $db = Palm::PDB->new; $db->Load($ARGV[0]);
  print "$db->{name}|$db->{type}|$db->{creator}|$db->{attributes}{resource}\n";
  print "$_->{type}|$_->{id}|", unpack("Z*", $_->{data}), "\n" for @{$db->{resources}};' "$work/sources/Kestrin.prc")
expected_prc=$'Kestrin|appl|vqKT|1\ntAIN|1000|Kestrin\ntver|1000|2.1'
[ "$prc_view" = "$expected_prc" ] || fail "Palm::PDB reads Kestrin.prc as: $(tr '\n' ' ' <<<"$prc_view")"

[ "$failures" -eq 0 ] && rm -rf "$work"
echo "$failures package checks failed"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# Cross-builds a small static libarchive for 32-bit Windows (zip and rar reading, zip writing, with
# MinGW's zlib) from Debian's source package, into PREFIX (PREFIX/include, PREFIX/lib/libarchive.a):
# Debian has no MinGW build of it. Quick when PREFIX already holds it.
# Usage: build-mingw-libarchive.sh PREFIX
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 PREFIX" >&2
  exit 2
fi
prefix=$(realpath -m "$1")
[ -f "$prefix/lib/libarchive.a" ] && [ -f "$prefix/include/archive.h" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
src="$prefix/src"
mkdir -p "$src"
if ! compgen -G "$src/libarchive-*/CMakeLists.txt" >/dev/null; then
  # The source package comes from Debian's own mirror.
  if ! grep -rqs '^Types: deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src ' /etc/apt/sources.list; then
    $sudo tee /etc/apt/sources.list.d/debian-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    $sudo apt-get update -qq
  fi
  (cd "$src" && apt-get source -qq libarchive >/dev/null 2>&1) || {
    $sudo apt-get update -qq
    (cd "$src" && apt-get source -qq libarchive >/dev/null)
  }
fi
source_dir=$(compgen -G "$src/libarchive-*/CMakeLists.txt" | head -n 1 | xargs dirname)
options=()
for feature in TAR CPIO CAT TEST OPENSSL MBEDTLS NETTLE LZMA ZSTD LZ4 BZip2 LIBB2 LZO LIBXML2 EXPAT \
               PCREPOSIX PCRE2POSIX CNG ICONV ACL XATTR LIBGCC WERROR COVERAGE INSTALL; do
  options+=("-DENABLE_$feature=OFF")
done
cmake -S "$source_dir" -B "$prefix/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" -DBUILD_SHARED_LIBS=OFF -DPOSIX_REGEX_LIB=NONE \
  -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include \
  "${options[@]}" >/dev/null
cmake --build "$prefix/build" --target archive_static
mkdir -p "$prefix/include" "$prefix/lib"
cp "$source_dir/libarchive/archive.h" "$source_dir/libarchive/archive_entry.h" "$prefix/include/"
cp "$prefix/build/libarchive/libarchive_static.a" "$prefix/lib/libarchive.a"

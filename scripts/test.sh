#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$build"

# Start the prefix's wineserver before ctest, with every output closed: a server that a test starts
# would keep ctest's output pipe open.
"$root/scripts/wine-prefix.sh" "$build"
status=0
(cd "$build" && ctest --output-on-failure "$@") || status=$?
WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true
exit $status

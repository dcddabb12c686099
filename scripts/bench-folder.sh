#!/bin/sh
# Builds the folder-note benchmark and runs it under Wine inside Xvfb: the
# time to open a folder note on 10,000 files against a plain tree view, and
# the time of a refresh after one file is added against the full open.
# The build folder is ./build, or $MEMOPANE_BUILD_DIR when set; an argument
# gives the number of runs (3 by default).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MEMOPANE_BUILD_DIR:-$root/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  "$root/scripts/build.sh"
else
  cmake --build "$build" -j "$(nproc)" --target memopane_folder_bench
fi
. "$root/scripts/wine-env.sh"
wine_prepare "$build/wineprefix"
# A private X server, and a wineserver of its own that ends with the run.
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  "$WINE" "$1/bin/memopane_folder_bench.exe" ${2:-}; status=$?
  "$WINESERVER" -k || true
  exit $status' sh "$build" "${1:-}"

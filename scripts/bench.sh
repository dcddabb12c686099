#!/bin/sh
# Builds a benchmark and runs it under Wine inside Xvfb; each compares the
# program against a baseline in the same run and prints the ratio.
# Usage: bench.sh [page|folder] [RUNS]
#   page   (default) opening a page of 100 text notes against a plain window
#          tree (5 runs by default)
#   folder opening a folder note on 10,000 files against a plain tree view,
#          and a refresh after one added file against the full open (3 runs)
# The build folder is ./build, or $MEMOPANE_BUILD_DIR when set.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MEMOPANE_BUILD_DIR:-$root/build}"
target=memopane_bench
case "${1:-}" in
  ""|[0-9]*) ;;
  page) shift ;;
  folder) target=memopane_folder_bench; shift ;;
  *) echo "usage: bench.sh [page|folder] [runs]" >&2; exit 2 ;;
esac
if [ ! -f "$build/CMakeCache.txt" ]; then
  "$root/scripts/build.sh"
else
  cmake --build "$build" -j "$(nproc)" --target "$target"
fi
. "$root/scripts/wine-env.sh"
wine_prepare "$build/wineprefix"
# A private X server, and a wineserver of its own that ends with the run.
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  "$WINE" "$1/bin/$2.exe" ${3:-}; status=$?
  "$WINESERVER" -k || true
  exit $status' sh "$build" "$target" "${1:-}"

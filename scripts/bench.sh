#!/bin/sh
# Builds the benchmarks and runs them under Wine inside Xvfb; each compares
# the program against baselines measured in the same run and prints the
# ratios. `cmake --build build --target bench` runs them all this way.
# Usage: bench.sh [all|page|folder|search] [RUNS [NOTES]]
#   all    (default) all three below
#   page   start-up to the main bar and a page switch to 100 text notes;
#          on pages of 100 and of 1,000 notes a start until every note is
#          visible, the working set, a switch away until every note window
#          is gone and a quit until the process has ended; each against a
#          plain program of a bar and one tool window per note with an edit
#          and six buttons (5 runs by default; NOTES changes the size of the
#          large page, 0 leaves it out)
#   folder opening a folder note on 10,000 files against a plain tree view,
#          and a refresh after one added file against the full open (3 runs)
#   search the search window's walk over 1,000 and 10,000 text notes on 20
#          pages (first results, complete, the next query, the longest
#          slice) against reading every file once (3 runs)
# The build folder is ./build, or $MEMOPANE_BUILD_DIR when set; with
# MEMOPANE_BENCH_BUILT=1 the benchmarks are taken as they are built.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MEMOPANE_BUILD_DIR:-$root/build}"
targets="memopane_bench memopane_folder_bench memopane_search_bench"
case "${1:-}" in
  ""|[0-9]*) ;;
  all) shift ;;
  page) targets=memopane_bench; shift ;;
  folder) targets=memopane_folder_bench; shift ;;
  search) targets=memopane_search_bench; shift ;;
  *) echo "usage: bench.sh [all|page|folder|search] [runs [notes]]" >&2; exit 2 ;;
esac
if [ ! -f "$build/CMakeCache.txt" ]; then
  "$root/scripts/build.sh"
elif [ "${MEMOPANE_BENCH_BUILT:-0}" != 1 ]; then
  for target in $targets; do cmake --build "$build" -j "$(nproc)" --target "$target"; done
fi
. "$root/scripts/wine-env.sh"
wine_prepare "$build/wineprefix"
# A private X server, and a wineserver of its own that ends with the run.
# Every benchmark runs; the status is the worst of them.
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  build=$1; targets=$2; shift 2
  worst=0
  for target in $targets; do
    "$WINE" "$build/bin/$target.exe" "$@" || { status=$?; [ $status -gt $worst ] && worst=$status; }
  done
  "$WINESERVER" -k || true
  exit $worst' sh "$build" "$targets" "$@"

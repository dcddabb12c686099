#!/bin/sh
# Runs the soak test with the counts of a long day's use instead of CI's
# short ones, and prints the GDI, USER, heap-block and working-set figures of
# each round.
# Every count may be set in the environment beforehand (MEMOPANE_SOAK_ROUNDS,
# _SWITCHES, _CYCLES, _MINIMIZES, _SHEETS, _BIG_NOTES, _BIG_VISITS: totals
# over all rounds). The build folder is ./build, or $MEMOPANE_BUILD_DIR.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MEMOPANE_BUILD_DIR:-$root/build}"
[ -f "$build/CMakeCache.txt" ] || "$root/scripts/build.sh"
cmake --build "$build" -j "$(nproc)" --target memopane app_e2e
: "${MEMOPANE_SOAK_ROUNDS:=10}"
: "${MEMOPANE_SOAK_SWITCHES:=1000}"
: "${MEMOPANE_SOAK_CYCLES:=1000}"
: "${MEMOPANE_SOAK_MINIMIZES:=200}"
: "${MEMOPANE_SOAK_SHEETS:=200}"
: "${MEMOPANE_SOAK_BIG_NOTES:=200}"
: "${MEMOPANE_SOAK_BIG_VISITS:=100}"
export MEMOPANE_SOAK_ROUNDS MEMOPANE_SOAK_SWITCHES MEMOPANE_SOAK_CYCLES MEMOPANE_SOAK_MINIMIZES \
  MEMOPANE_SOAK_SHEETS MEMOPANE_SOAK_BIG_NOTES MEMOPANE_SOAK_BIG_VISITS
# Straight to the test program, not through ctest: its per-test limit of
# 900 s would end the run. Hours with the default counts; the limit only
# stops a hung run. A private X server (Wine's desktop must start inside it),
# and a Wine prefix of its own that keeps its main bar and USER counts apart
# from a test run.
MEMOPANE_TEST_TIMEOUT=36000
export MEMOPANE_TEST_TIMEOUT
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/wine-run.sh" "$build/wineprefix-soak" "$build/bin/app_e2e.exe" --gtest_filter='SoakTest.*'

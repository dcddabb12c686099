#!/bin/sh
# Runs ctest in BUILD with one persistent wineserver for the whole run, so that
# every Wine process after the first starts quickly.
# Usage: ctest-session.sh BUILD [CTEST-ARGS...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
build=$(cd "$1" && pwd); shift
wine_prepare "$build/wineprefix"
"$WINESERVER" -p 2>/dev/null || true  # one may already run for this prefix
wine_warm_up
export MEMOPANE_WINE_SESSION=1
status=0
( cd "$build" && ctest --output-on-failure --timeout 900 "$@" ) || status=$?
"$WINESERVER" -k || true
exit $status

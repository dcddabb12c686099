#!/bin/sh
# Sets up, builds and starts Memopane under Wine: on the user's display when
# there is one, otherwise inside Xvfb (then a screenshot shows what it draws).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${MEMOPANE_BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"
# The program keeps its notes in the prefix's My Documents; a prefix of its own
# keeps them apart from the tests' prefix.
wine_prepare "${MEMOPANE_WINEPREFIX:-$HOME/.memopane-wine}"
if [ -n "${DISPLAY:-}" ]; then
  exec "$WINE" "$build/bin/memopane.exe"
fi
# xvfb-run picks a free display; say which, so that a screenshot can be taken.
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  echo "run: no display of your own; Memopane runs in Xvfb on $DISPLAY"
  echo "run: see it with: DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY import -window root shot.png"
  exec "$WINE" "$1"' sh "$build/bin/memopane.exe"

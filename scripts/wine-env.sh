# Shared by the scripts that run Memopane under Wine; source it, then call
# wine_prepare PREFIX. Sets WINE to the 64-bit loader and prepares the prefix.

export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=ja_JP.UTF-8   # Wine's ANSI code page becomes 932
export WINEDLLOVERRIDES="mscoree,mshtml="   # never ask for Mono or Gecko

if command -v wine64 >/dev/null 2>&1; then
  WINE=$(command -v wine64)
elif [ -x /usr/lib/wine/wine64 ]; then
  WINE=/usr/lib/wine/wine64
else
  WINE=wine
fi
export WINE
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINESERVER

# What wine_prepare sets up; raise it when that changes, so that a prefix
# made before is brought up to date (its stamp holds the version it has).
MEMOPANE_PREFIX_VERSION=2

# Creates the prefix once. The user folders of a new prefix are links into
# $HOME; a private prefix gets real folders so that nothing the program or the
# tests write (My Documents\My Memopane) lands in the user's home.
wine_prepare() {
  export WINEPREFIX="$1"
  stamp="$WINEPREFIX/.memopane-ready"
  if [ ! -f "$stamp" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
    for d in "$WINEPREFIX"/drive_c/users/*/*; do
      if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
    done
    : >"$stamp"
  fi
  if [ "$(cat "$stamp")" != "$MEMOPANE_PREFIX_VERSION" ]; then
    wine_map_fonts
    "$WINESERVER" -w
    echo "$MEMOPANE_PREFIX_VERSION" >"$stamp"
  fi
}

# The program asks for the Windows Japanese fonts (the GUI font, which is
# "MS Shell Dlg" or "MS UI Gothic", and "ＭＳ Ｐゴシック" in its dialogs).
# Without them Wine picks a Japanese font that draws "_" below the cell, so
# "a_b" shows as "a b"; VL Gothic draws it inside.
wine_map_fonts() {
  for face in "MS UI Gothic" "ＭＳ ＵＩ Ｇｏｔｈｉｃ" "MS Shell Dlg" "MS Shell Dlg 2" "MS PGothic" "ＭＳ Ｐゴシック"; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "VL PGothic" /f \
      >/dev/null 2>&1 || true
  done
  for face in "MS Gothic" "ＭＳ ゴシック"; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "VL Gothic" /f \
      >/dev/null 2>&1 || true
  done
}

# Starts Wine's own background processes (services, desktop) with their
# output on /dev/null. Started later by a test program, they would inherit
# its output pipe and keep CTest waiting for it to close.
wine_warm_up() {
  "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

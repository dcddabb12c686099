#!/bin/sh
# Draws the program's icons with ImageMagick: 101 a yellow sticky note with a
# folded corner, 102 the same note in the flat 16-colour look of older
# systems. The .ico files are committed; run this only to redraw them.
set -eu
out=$(cd "$(dirname "$0")/../resources" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

note() { # size fill edge file
  s=$1; m=$((s - 1)); f=$((s * 3 / 10))
  convert -size "${s}x${s}" xc:none \
    -fill "$2" -stroke "$3" -strokewidth 1 \
    -draw "polygon 1,1 $((m - f)),1 $((m - 1)),$((f + 1)) $((m - 1)),$((m - 1)) 1,$((m - 1))" \
    -fill "$3" -stroke "$3" \
    -draw "polygon $((m - f)),1 $((m - f)),$((f + 1)) $((m - 1)),$((f + 1))" \
    -stroke "#806020" -strokewidth 1 \
    -draw "line 3,$((s * 4 / 10)) $((m - 3)),$((s * 4 / 10))" \
    -draw "line 3,$((s * 6 / 10)) $((m - 3)),$((s * 6 / 10))" \
    -draw "line 3,$((s * 8 / 10)) $((m * 2 / 3)),$((s * 8 / 10))" \
    "$4"
}
note 16 "#FFFF77" "#C8A000" "$tmp/a16.png"
note 32 "#FFFF77" "#C8A000" "$tmp/a32.png"
convert "$tmp/a16.png" "$tmp/a32.png" "$out/memopane.ico"
note 16 "#FFFF00" "#808000" "$tmp/b16.png"
note 32 "#FFFF00" "#808000" "$tmp/b32.png"
convert "$tmp/b16.png" "$tmp/b32.png" -colors 16 "$out/memopane-classic.ico"

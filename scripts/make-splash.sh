#!/bin/sh
# Draws the splash picture with ImageMagick: three sticky notes pinned on a
# soft cork-coloured board with the product name, 320 x 240 pixels, stored
# as an 8-bit (256-colour) bitmap. The .bmp is committed; run this only to
# redraw it. The lower right corner stays plain: the program writes the
# edition and version text there.
set -eu
out=$(cd "$(dirname "$0")/../resources" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

font=DejaVu-Sans-Bold
[ -n "$(convert -list font | grep -i 'Font: DejaVu-Sans-Bold$')" ] || font=Helvetica-Bold

# One note: fill, darker edge, lines of "writing", turned by an angle.
note() { # width height fill edge angle file
  w=$1; h=$2; f=$((w / 5))
  convert -size "$((w + 8))x$((h + 8))" xc:none \
    -fill "#00000040" -stroke none \
    -draw "polygon 6,6 $((w + 5)),6 $((w + 5)),$((h + 5)) 6,$((h + 5))" -blur 0x2 \
    -fill "$3" -stroke "$4" -strokewidth 1 \
    -draw "polygon 2,2 $((w - f)),2 $((w + 1)),$((f + 3)) $((w + 1)),$((h + 1)) 2,$((h + 1))" \
    -fill "$4" -draw "polygon $((w - f)),2 $((w - f)),$((f + 3)) $((w + 1)),$((f + 3))" \
    -stroke "#80602080" -strokewidth 2 \
    -draw "line 10,$((h * 4 / 10)) $((w - 10)),$((h * 4 / 10))" \
    -draw "line 10,$((h * 6 / 10)) $((w - 10)),$((h * 6 / 10))" \
    -draw "line 10,$((h * 8 / 10)) $((w * 2 / 3)),$((h * 8 / 10))" \
    -background none -rotate "$5" "$6"
}
note 96 84 "#FFF27A" "#D9B400" -6 "$tmp/yellow.png"
note 84 74 "#A8E6A1" "#5DAA55" 5 "$tmp/green.png"
note 78 70 "#F7B3C8" "#C96A8A" -3 "$tmp/pink.png"

convert -size 320x240 gradient:"#F4E7CF"-"#E2CBA4" \
  -fill none -stroke "#B89A6A" -strokewidth 4 -draw "rectangle 2,2 317,237" \
  "$tmp/green.png" -geometry +178+24 -composite \
  "$tmp/yellow.png" -geometry +26+34 -composite \
  "$tmp/pink.png" -geometry +112+64 -composite \
  -fill "#C0392B" -stroke "#7B241C" -strokewidth 1 \
  -draw "circle 74,44 78,44" -draw "circle 222,30 226,30" -draw "circle 150,70 154,70" \
  -font "$font" -pointsize 34 -stroke none \
  -fill "#FFFFFF" -annotate +27+191 "Memopane" \
  -fill "#5A3E1B" -annotate +25+189 "Memopane" \
  -type Palette -colors 256 BMP3:"$out/splash.bmp"

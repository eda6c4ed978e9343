#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick (apt-get install imagemagick):
#   hallo.bmp       355 x 400, 24-bit: the start-up picture (teal, the title,
#                   the directory's full name; the bottom 20 rows plain teal,
#                   the yellow start-up line sits just below the picture)
#   about.bmp       136 x 105, 24-bit: the picture of the About window
#   ../data/karosmall.ICO   the program's icon, 16 x 16 and 32 x 32
#   seek, clear, query, detail, sort, x, close, ok .png: 16 x 16 button
#                   pictures in the 16 standard colours, transparent around
# Usage: resources/pictures/make-pictures.sh   (writes next to itself)
set -euo pipefail
cd "$(dirname "$0")"
im=convert
[ -x /usr/bin/convert ] && im=/usr/bin/convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

teal='#008080'
bold=DejaVu-Sans-Bold
sans=DejaVu-Sans
if ! "$im" -list font | grep -q "Font: $bold\$"; then bold=Helvetica-Bold; sans=Helvetica; fi

# The medical motif: a white disc with a teal cross and a darker rim.
# motif SIZE OUT
motif() {
  local s=$1 out=$2
  local c=$((s / 2)) r=$((s / 2 - 2)) arm=$((s / 7)) len=$((s * 3 / 10))
  "$im" -size "${s}x${s}" xc:none \
    -fill '#00000040' -draw "circle $((c + 3)),$((c + 4)) $((c + 3)),$((4 + 4))" -blur 0x3 \
    -fill white -stroke '#005050' -strokewidth 3 -draw "circle $c,$c $c,$((c - r))" \
    -stroke none -fill "$teal" \
    -draw "roundrectangle $((c - arm)),$((c - len)) $((c + arm)),$((c + len)) 3,3" \
    -draw "roundrectangle $((c - len)),$((c - arm)) $((c + len)),$((c + arm)) 3,3" \
    "$out"
}

# A heartbeat trace across a band WIDTH wide, the base line at Y.
# heartbeat WIDTH Y COLOUR STROKE -> prints the draw primitive
heartbeat() {
  local w=$1 y=$2 m=$(($1 / 2))
  echo "polyline 0,$y $((m - 40)),$y $((m - 30)),$((y - 8)) $((m - 22)),$y $((m - 12)),$y $((m - 4)),$((y - 34)) $((m + 6)),$((y + 22)) $((m + 14)),$y $((m + 26)),$y $((m + 34)),$((y - 10)) $((m + 44)),$y $w,$y"
}

# --- hallo.bmp: 355 x 400 ---------------------------------------------------
motif 180 "$tmp/motif180.png"
"$im" -size 355x380 gradient:'#00a8a8'-"$teal" \
  \( -size 355x20 xc:"$teal" \) -append \
  "$tmp/motif180.png" -geometry +87+28 -composite \
  -fill none -stroke '#ffff80' -strokewidth 3 -draw "$(heartbeat 355 238)" \
  -stroke none -font "$bold" -pointsize 52 -gravity north \
  -fill '#004848' -annotate +3+262 'K.A.R.O.' \
  -fill white -annotate +0+259 'K.A.R.O.' \
  -font "$sans" -pointsize 17 -fill '#004848' -annotate +1+331 'Katalog Adres a Rejstřík Ordinací' \
  -fill '#ffffc0' -annotate +0+330 'Katalog Adres a Rejstřík Ordinací' \
  -alpha off -type TrueColor BMP3:hallo.bmp

# --- about.bmp: 136 x 105 ---------------------------------------------------
motif 84 "$tmp/motif84.png"
"$im" -size 136x105 gradient:'#00a8a8'-'#006868' \
  "$tmp/motif84.png" -geometry +26+3 -composite \
  -fill none -stroke '#ffff80' -strokewidth 2 -draw "$(heartbeat 136 96)" \
  -alpha off -type TrueColor BMP3:about.bmp

# --- karosmall.ICO: 32 x 32 and 16 x 16 -------------------------------------
"$im" -size 32x32 xc:none -fill "$teal" -stroke '#004848' -draw 'roundrectangle 0,0 31,31 6,6' \
  -stroke none -fill white -draw 'rectangle 12,5 19,26' -draw 'rectangle 5,12 26,19' \
  -fill '#ff4040' -draw 'rectangle 14,7 17,24' -draw 'rectangle 7,14 24,17' \
  "$tmp/icon32.png"
"$im" -size 16x16 xc:none +antialias -fill "$teal" -stroke '#004848' -draw 'roundrectangle 0,0 15,15 3,3' \
  -stroke none -fill white -draw 'rectangle 6,2 9,13' -draw 'rectangle 2,6 13,9' \
  -fill '#ff4040' -draw 'rectangle 7,3 8,12' -draw 'rectangle 3,7 12,8' \
  "$tmp/icon16.png"
"$im" "$tmp/icon16.png" "$tmp/icon32.png" ../data/karosmall.ICO

# --- 16 x 16 button pictures in the 16 standard colours ---------------------
"$im" -size 16x1 xc:black \
  -fill '#800000' -draw 'point 1,0' -fill '#008000' -draw 'point 2,0' -fill '#808000' -draw 'point 3,0' \
  -fill '#000080' -draw 'point 4,0' -fill '#800080' -draw 'point 5,0' -fill '#008080' -draw 'point 6,0' \
  -fill '#c0c0c0' -draw 'point 7,0' -fill '#808080' -draw 'point 8,0' -fill '#ff0000' -draw 'point 9,0' \
  -fill '#00ff00' -draw 'point 10,0' -fill '#ffff00' -draw 'point 11,0' -fill '#0000ff' -draw 'point 12,0' \
  -fill '#ff00ff' -draw 'point 13,0' -fill '#00ffff' -draw 'point 14,0' -fill '#ffffff' -draw 'point 15,0' \
  "$tmp/palette.png"

# button NAME DRAW-ARGUMENTS...: draws without antialiasing on a transparent
# 16 x 16 canvas and keeps only the 16 colours (4-bit palette PNG).
button() {
  local name=$1
  shift
  "$im" -size 16x16 xc:none +antialias -strokewidth 1 "$@" "$tmp/$name.png"
  # The colours onto the palette, the transparency kept as it was drawn.
  "$im" \( "$tmp/$name.png" -alpha off -dither None -remap "$tmp/palette.png" \) \
    \( "$tmp/$name.png" -alpha extract -threshold 50% \) \
    -alpha off -compose CopyOpacity -composite \
    -define png:bit-depth=4 -define png:color-type=3 "PNG8:$name.png"
}

# magnifier: aqua glass with a white glint, grey handle
button seek \
  -stroke '#808080' -strokewidth 3 -draw 'line 10,10 14,14' -strokewidth 1 \
  -stroke black -draw 'line 10,11 13,14' -draw 'point 14,15' \
  -fill '#00ffff' -stroke black -draw 'circle 6,6 6,1' \
  -stroke none -fill white -draw 'point 4,3' -draw 'point 3,4' -draw 'point 5,3' -draw 'point 3,5'

# eraser: white sleeve and red rubber, lying on a grey trace
button clear \
  -stroke '#808080' -draw 'line 1,14 14,14' \
  -fill white -stroke black -draw 'polygon 1,10 6,5 10,9 5,14' \
  -fill '#ff0000' -draw 'polygon 6,5 10,1 14,5 10,9' \
  -stroke '#800000' -draw 'line 7,6 10,3' \
  -stroke '#c0c0c0' -draw 'line 3,11 6,8'

# document with a question mark
button query \
  -fill white -stroke black -draw 'polygon 2,0 10,0 13,3 13,15 2,15' \
  -fill '#c0c0c0' -draw 'polygon 10,0 10,3 13,3' \
  -stroke none -fill '#0000ff' \
  -draw 'rectangle 6,3 9,3' -draw 'rectangle 5,4 6,5' -draw 'rectangle 9,4 10,6' \
  -draw 'rectangle 8,7 9,7' -draw 'rectangle 7,8 8,10' -draw 'rectangle 7,12 8,13'

# card: a photo and lines of text
button detail \
  -fill white -stroke black -draw 'rectangle 0,2 15,13' \
  -stroke none -fill '#008080' -draw 'rectangle 2,4 5,9' -fill '#ffff00' -draw 'rectangle 3,5 4,6' \
  -fill '#000080' -draw 'rectangle 7,4 13,4' -draw 'rectangle 7,6 12,6' -draw 'rectangle 7,8 13,8' \
  -draw 'rectangle 2,11 13,11'

# A over Z with a downward arrow
button sort \
  -stroke '#000080' -draw 'line 1,7 3,1' -draw 'line 4,1 6,7' -draw 'point 3,1' -draw 'line 2,5 5,5' \
  -draw 'line 1,9 6,9' -draw 'line 6,10 1,14' -draw 'line 1,15 6,15' \
  -stroke '#008000' -draw 'line 11,1 11,12' -draw 'line 12,1 12,12' \
  -fill '#008000' -draw 'polygon 8,11 15,11 11,15 12,15'

# small red cross
button x \
  -stroke '#ff0000' -draw 'line 3,3 12,12' -draw 'line 4,3 12,11' -draw 'line 3,4 11,12' \
  -draw 'line 12,3 3,12' -draw 'line 11,3 3,11' -draw 'line 12,4 4,12'

# open door with a yellow knob
button close \
  -fill '#000080' -stroke black -draw 'rectangle 3,1 12,15' \
  -fill '#808000' -draw 'polygon 3,1 9,3 9,15 3,15' \
  -stroke none -fill '#ffff00' -draw 'rectangle 7,8 7,9' \
  -stroke '#808080' -draw 'line 0,15 15,15'

# green check
button ok \
  -stroke '#008000' -strokewidth 3 -fill none -draw 'polyline 2,8 6,12 13,3' \
  -strokewidth 1 -stroke '#00ff00' -draw 'line 2,7 6,11' -draw 'line 6,11 12,3'

echo "pictures written to $(pwd) and ../data/karosmall.ICO"

#!/usr/bin/env bash
# Draws the toolbar's own images (used where the desktop has no icon theme) into
# resources/toolbar. Needs ImageMagick and the DejaVu and Noto CJK fonts.
set -euo pipefail
out=${1:-resources/toolbar}
mkdir -p "$out"
S=20
sym=DejaVu-Sans-Bold
cjk=$(fc-match -f '%{file}' 'Noto Sans CJK JP:bold')

glyph() { # name font colour text [pointsize]
  convert -size ${S}x${S} xc:none -font "$2" -fill "$3" -pointsize "${5:-16}" \
    -gravity center -annotate +0+0 "$4" "$out/$1.png"
}
draw() { # name draw-commands...
  local name=$1; shift
  convert -size ${S}x${S} xc:none "$@" "$out/$name.png"
}

draw Exit -fill '#f4f4f4' -stroke '#555' -draw 'rectangle 3,2 12,17' \
  -stroke '#c0392b' -strokewidth 2 -draw 'line 8,10 17,10' -draw 'line 14,7 17,10' -draw 'line 14,13 17,10'
draw Print -fill '#ffffff' -stroke '#555' -draw 'rectangle 6,2 14,8' -fill '#9aa5b1' \
  -draw 'rectangle 2,8 18,15' -fill '#ffffff' -draw 'rectangle 6,13 14,18'
glyph Cut "$sym" '#444' '✂' 17
draw Copy -fill '#ffffff' -stroke '#555' -draw 'rectangle 2,2 11,13' -draw 'rectangle 8,6 17,17'
draw Paste -fill '#d9b36c' -stroke '#7a5a1f' -draw 'rectangle 3,3 16,18' -fill '#ffffff' \
  -stroke '#555' -draw 'rectangle 6,6 13,16' -fill '#888' -draw 'rectangle 7,1 12,4'
draw LastYear -fill '#2e6db4' -draw 'polygon 10,4 10,16 2,10' -draw 'polygon 18,4 18,16 10,10'
draw LastMonth -fill '#2e6db4' -draw 'polygon 14,4 14,16 5,10'
draw ThisMonth -fill '#e67e22' -draw 'circle 10,10 10,4'
draw NextMonth -fill '#2e6db4' -draw 'polygon 6,4 6,16 15,10'
draw NextYear -fill '#2e6db4' -draw 'polygon 2,4 2,16 10,10' -draw 'polygon 10,4 10,16 18,10'
glyph Schedule "$cjk" '#2e6db4' '予' 15
glyph Diary "$cjk" '#8e44ad' '日' 15
glyph WhatDay "$sym" '#e6a100' '★' 17
glyph Del "$sym" '#c0392b' '✕' 16
draw Find -fill none -stroke '#444' -strokewidth 2 -draw 'circle 8,8 8,3' -draw 'line 12,12 17,17'
glyph Option "$sym" '#555' '⚙' 18
draw Help -fill '#2e6db4' -draw 'circle 10,10 10,2' -fill white -font "$sym" -pointsize 13 \
  -gravity center -annotate +0+0 '?'

#!/usr/bin/env bash
# Draws notes.exe's icon (a page with a wave) with ImageMagick, in the 16 colours of the
# setup's own icons. Run it here; its output is committed.
set -euo pipefail
cd "$(dirname "$0")"
for s in 32 16; do
  convert -size 32x32 xc:none \
    -fill white -stroke black -draw 'polygon 5,2 22,2 27,7 27,30 5,30' \
    -fill '#c0c0c0' -stroke black -draw 'polygon 22,2 22,7 27,7' \
    -stroke '#808080' -draw 'line 9,10 20,10' -draw 'line 9,14 23,14' \
    -fill none -stroke '#0000ff' -strokewidth 2 \
    -draw 'bezier 7,24 11,18 15,28 19,22' -draw 'bezier 15,22 19,16 23,26 26,20' \
    -resize "${s}x${s}" "page$s.png"
  convert "page$s.png" -depth 8 "rgba:page$s.rgba"
done
python3 ../../install/win32/art/vga_icon.py notes.ico 16:page16.rgba 32:page32.rgba
rm page16.png page32.png page16.rgba page32.rgba

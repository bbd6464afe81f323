#!/usr/bin/env bash
# Draws the setup's small pictures with ImageMagick: the program icon (a floppy disk, in the
# 16 colours of vga_icon.py), the uninstaller's (the floppy crossed out in red), the wizard's
# page icon (a computer with a floppy) and the preparation window's busy animation (a ring of
# dots going round). Run it here; its outputs are committed.
set -euo pipefail
cd "$(dirname "$0")"

floppy() {  # size [extra drawing...]
  local s=$1
  shift
  convert -size 32x32 xc:none \
    -fill '#000080' -stroke black -draw 'polygon 2,2 27,2 30,5 30,30 2,30' \
    -fill '#c0c0c0' -stroke black -draw 'rectangle 9,2 23,11' \
    -fill '#000080' -stroke none -draw 'rectangle 18,4 21,9' \
    -fill white -stroke black -draw 'rectangle 6,16 26,30' \
    -stroke '#808080' -draw 'line 9,20 23,20' -draw 'line 9,24 23,24' \
    "$@" -resize "${s}x${s}" "floppy$s.png"
  convert "floppy$s.png" -depth 8 "rgba:floppy$s.rgba"
}
icon() {  # out.ico [extra drawing...]
  local out=$1
  shift
  floppy 32 "$@"
  floppy 16 "$@"
  python3 vga_icon.py "$out" 16:floppy16.rgba 32:floppy32.rgba
  rm floppy16.png floppy32.png floppy16.rgba floppy32.rgba
}
icon zov.ico
icon uninstall.ico -stroke '#ff0000' -strokewidth 4 -draw 'line 5,5 27,27' -draw 'line 27,5 5,27'

convert -size 32x32 xc:none \
  -fill '#c0c0c0' -stroke black -draw 'rectangle 3,2 28,21' \
  -fill '#008080' -stroke '#808080' -draw 'rectangle 6,5 25,18' \
  -fill '#c0c0c0' -stroke black -draw 'rectangle 10,22 21,24' -draw 'rectangle 5,25 26,29' \
  -fill '#000080' -stroke black -draw 'polygon 17,13 29,13 31,15 31,29 17,29' \
  -fill white -stroke none -draw 'rectangle 19,22 29,28' \
  -fill '#c0c0c0' -draw 'rectangle 20,13 27,17' \
  setup.gif

frames=()
for i in 0 1 2 3 4 5 6 7; do
  args=()
  for d in 0 1 2 3 4 5 6 7; do
    angle=$(( (d * 45) ))
    x=$(awk -v a=$angle 'BEGIN{printf "%.1f", 16 + 11*sin(a*3.14159265/180)}')
    y=$(awk -v a=$angle 'BEGIN{printf "%.1f", 16 - 11*cos(a*3.14159265/180)}')
    age=$(( (i - d + 8) % 8 ))
    case $age in 0) c='#000080';; 1) c='#0000ff';; 2) c='#6060ff';; 3) c='#a0a0ff';; *) c='#d0d0d0';; esac
    args+=(-fill "$c" -draw "circle $x,$y $(awk -v x=$x 'BEGIN{printf "%.1f", x+3}'),$y")
  done
  convert -size 32x32 xc:none +antialias "${args[@]}" "frame$i.gif"
  frames+=("frame$i.gif")
done
convert -dispose none -delay 10 -loop 0 "${frames[@]}" -background none busy.gif
rm "${frames[@]}"

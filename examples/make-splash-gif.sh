#!/usr/bin/env bash
# How payload/splash.gif was made (ImageMagick 6.9): four frames of a wave below the
# product's name, a quarter second each, looping. Kept in the tree as the picture itself,
# since another ImageMagick version may write other bytes.
#
#   examples/make-splash-gif.sh OUT.gif
set -euo pipefail
out=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for i in 0 1 2 3; do
  y=$((30 + (i % 2) * 4))
  convert -size 96x48 gradient:'#003070-#0080c0' -fill '#e0f0ff' \
    -draw "path 'M 0,$y Q $((12 + i * 6)),$((y - 8)) $((24 + i * 6)),$y T $((48 + i * 6)),$y T $((72 + i * 6)),$y T $((96 + i * 6)),$y L 96,48 L 0,48 Z'" \
    -fill white -font DejaVu-Sans-Bold -pointsize 11 -annotate +8+18 'Tidewater' -colors 16 +dither "$tmp/f$i.gif"
done
convert -delay 25 -loop 0 "$tmp"/f0.gif "$tmp"/f1.gif "$tmp"/f2.gif "$tmp"/f3.gif -layers Optimize "$out"

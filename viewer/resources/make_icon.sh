#!/usr/bin/env bash
# Draws the program's icon, a page with lines of text and a folded corner,
# at 32x32 and 16x16, and writes zorvo.ico beside this script. Needs
# ImageMagick's convert.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The page: white with a dark outline, the top right corner folded over.
convert -size 32x32 xc:none +antialias -stroke '#303030' -strokewidth 1 -fill white \
  -draw 'polygon 5,1 21,1 27,7 27,30 5,30' \
  -fill '#c8c8c8' -draw 'polygon 21,1 21,7 27,7' \
  -stroke '#2050a0' -strokewidth 1 \
  -draw 'line 9,10 23,10' -draw 'line 9,14 23,14' -draw 'line 9,18 20,18' \
  -draw 'line 9,22 23,22' -draw 'line 9,26 17,26' \
  "$tmp/32.png"
convert -size 16x16 xc:none +antialias -stroke '#303030' -strokewidth 1 -fill white \
  -draw 'polygon 2,0 10,0 13,3 13,15 2,15' \
  -fill '#c8c8c8' -draw 'polygon 10,0 10,3 13,3' \
  -stroke '#2050a0' -draw 'line 4,6 11,6' -draw 'line 4,9 11,9' -draw 'line 4,12 9,12' \
  "$tmp/16.png"
convert "$tmp/32.png" "$tmp/16.png" "$here/zorvo.ico"

#!/usr/bin/env bash
# Lays every shipped image out in one labelled grid on a dark background, for looking the art
# over together: tools/artSheet.sh [image directory] [output file]
set -euo pipefail
dir=${1:-data}
out=${2:-/tmp/artSheet.png}
shopt -s nullglob
files=("$dir"/*.png "$dir"/*.tga)
if [ ${#files[@]} -eq 0 ]; then
  echo "No images in $dir" >&2
  exit 1
fi
montage -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -background '#0b0d14' -fill '#9fb3c8' -pointsize 11 -label '%f\n%wx%h' \
  "${files[@]}" -geometry 160x160+8+8 -tile 8x "$out"
echo "$out"

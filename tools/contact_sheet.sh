#!/bin/bash
# contact_sheet.sh <datadir> <out.png> <picture>...
# Puts the pictures of the data set (the build passes the table's names) side
# by side, scaled and labelled with their file names. Pictures with transparency are laid over a checkerboard so that
# their transparent parts show as such.
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 <datadir> <out.png> <picture>..." >&2
  exit 2
fi
data=$1
out=$2
shift 2
names=("$@")
command -v montage >/dev/null || { echo "ImageMagick's montage is needed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

args=()
for name in "${names[@]}"; do
  src=$data/$name
  if [ ! -f "$src" ]; then
    echo "missing: $src" >&2
    continue
  fi
  dst=$work/$name.png
  case $name in
    *.png)
      size=$(identify -format '%wx%h' "$src")
      convert -size "$size" pattern:checkerboard -modulate 90 "$src" -composite "$dst"
      ;;
    *)
      convert "$src" "$dst"
      ;;
  esac
  # small pictures are blown up with hard pixels so they can be judged
  if [ "$(identify -format '%w' "$dst")" -lt 128 ]; then
    convert "$dst" -filter point -resize 192x192 "$dst"
  fi
  args+=(-label "$name" "$dst")
done

mkdir -p "$(dirname "$out")"
montage "${args[@]}" -tile 6x -geometry 256x192+8+8 -background '#3a3a3a' \
  -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -fill '#f0e6d0' -pointsize 14 "$out"
echo "contact sheet: $out"

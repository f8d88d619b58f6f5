#!/bin/bash
# contact_sheet.sh <datadir> <out.png>
# Puts every picture of the data set side by side, scaled and labelled with its
# file name. Pictures with transparency are laid over a checkerboard so that
# their transparent parts show as such.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 <datadir> <out.png>" >&2
  exit 2
fi
data=$1
out=$2
command -v montage >/dev/null || { echo "ImageMagick's montage is needed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

names=()
for n in 1 2 3 4 5 6 7 8 9 10 11 12 13; do names+=("mij$n.jpg"); done
for n in 4 5 6 7 8 9 10; do names+=("mij${n}_txt.png"); done
names+=(chef.png bubble.png particle.png unpack.jpg icon.jpg)

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
  case $name in
    icon.jpg|particle.png) convert "$dst" -filter point -resize 192x192 "$dst" ;;
  esac
  args+=(-label "$name" "$dst")
done

mkdir -p "$(dirname "$out")"
montage "${args[@]}" -tile 6x -geometry 256x192+8+8 -background '#3a3a3a' \
  -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -fill '#f0e6d0' -pointsize 14 "$out"
echo "contact sheet: $out"

#!/usr/bin/env bash
# Writes the JPEG XL golden files: each case encoded by cjxl from the small
# pictures of ../source_pictures.py, and beside it <case>.pam with what djxl
# (libjxl's own program) decodes it to, as 8-bit RGB(A).
#
#   lossless.jxl       lossless
#   lossy.jxl          lossy (distance 1.5)
#   alpha.jxl          lossy with an alpha channel
#   gray.jxl           lossless gray
#   recompressed.jxl   a JPEG file recompressed (its pixels are decoded)
#   oriented.jxl       a JPEG whose EXIF orientation says "a quarter
#                      clockwise": the picture comes upright, 24 x 40
#   deep16.jxl         16 bits per sample: libjxl's reduction to 8 bits and
#                      ImageMagick's of djxl's 16-bit PNG round differently
#                      (deep16.tolerance: the largest difference allowed)
#   wide.jxl           lossless with the colour profile wide.icc
#   groups.jxl         lossy, 272 x 32: two groups, so that the first
#                      part of the file already shows the whole picture
#
# Run from anywhere: tests/files/jxl/generate.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$here/../source_pictures.py" "$work"

encode() { cjxl "$@" --quiet >/dev/null 2>&1; }
encode -d 0 "$work/photo.png" "$here/lossless.jxl"
encode -d 1.5 "$work/photo.png" "$here/lossy.jxl"
encode -d 1.5 "$work/alpha.png" "$here/alpha.jxl"
# As PGM and PPM: a PNG ImageMagick wrote after changing pixels says gamma
# 2.2, not sRGB
convert "$work/photo.png" -colorspace Gray "$work/gray.pgm"
encode -d 0 "$work/gray.pgm" "$here/gray.jxl"
convert "$work/photo.png" -quality 90 "$work/photo.jpg"
encode "$work/photo.jpg" "$here/recompressed.jxl"
convert "$work/portrait.png" -quality 90 "$work/portrait.jpg"
exiftool -q -overwrite_original -Orientation#=6 "$work/portrait.jpg"
encode "$work/portrait.jpg" "$here/oriented.jxl"
encode -d 0 "$work/deep.png" "$here/deep16.jxl"
encode -d 0 "$work/wide.png" "$here/wide.jxl"
cp "$work/wide.icc" "$here/wide.icc"
convert "$work/photo.png" -filter Lanczos -resize 272x32! "$work/groups.ppm"
encode -d 1.5 "$work/groups.ppm" "$here/groups.jxl"

for file in "$here"/*.jxl; do
  png="$work/out.png" type=TrueColor
  djxl "$file" "$png" >/dev/null 2>&1
  [[ "$(identify -format '%[channels]' "$png")" == *a ]] && type=TrueColorAlpha
  convert "$png" -depth 8 -type "$type" "PAM:${file%.*}.pam"
done
echo 1 >"$here/deep16.tolerance"

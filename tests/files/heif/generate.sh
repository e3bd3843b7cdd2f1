#!/usr/bin/env bash
# Writes the HEIF golden files: each case encoded by heif-enc from the small
# pictures of ../source_pictures.py, and beside it <case>.pam with what
# heif-convert (libheif's own program) decodes it to, as 8-bit RGB(A).
#
#   photo.heic           lossy, 4:2:0
#   lossless.heic        lossless, 4:4:4
#   alpha.heic           with an alpha channel
#   portrait-irot.heic   turned a quarter anticlockwise by its rotation box
#   deep10.heic          10 bits per sample: libheif's reduction to 8 bits and
#                        ImageMagick's of heif-convert's 16-bit PNG round
#                        differently (deep10.tolerance: the largest
#                        difference allowed)
#   wide.heic            with the colour profile wide.icc (given in the file)
#
# Run from anywhere: tests/files/heif/generate.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$here/../source_pictures.py" "$work"

heif-enc -q 90 "$work/photo.png" -o "$here/photo.heic"
heif-enc -L -p chroma=444 "$work/photo.png" -o "$here/lossless.heic"
heif-enc -q 90 "$work/alpha.png" -o "$here/alpha.heic"
heif-enc -q 90 "$work/portrait.png" -o "$work/portrait.heic"
python3 "$here/add_rotation.py" "$work/portrait.heic" "$here/portrait-irot.heic" 1
heif-enc -q 90 -b 10 "$work/deep.png" -o "$here/deep10.heic"
heif-enc -q 90 "$work/wide.png" -o "$here/wide.heic"
cp "$work/wide.icc" "$here/wide.icc"

# ImageMagick turns the reference PNG into PAM, 16-bit samples rounded to 8.
expected() { # FILE DECODER...
  local file="$1" png="$work/out.png" type=TrueColor
  shift
  "$@" "$file" "$png" >/dev/null
  [[ "$(identify -format '%A' "$png")" == [Tt]rue || "$(identify -format '%[channels]' "$png")" == *a ]] &&
    type=TrueColorAlpha
  convert "$png" -depth 8 -type "$type" "PAM:${file%.*}.pam"
}
for file in "$here"/*.heic; do
  expected "$file" heif-convert --quiet
done
echo 1 >"$here/deep10.tolerance"

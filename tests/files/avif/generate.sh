#!/usr/bin/env bash
# Writes the AVIF golden files: each case encoded by avifenc from the small
# pictures of ../source_pictures.py, and beside it <case>.pam with what
# avifdec (libavif's own program) decodes it to, as 8-bit RGB(A).
#
#   photo.avif           lossy (4:4:4: avifdec and libheif fill in halved
#                        chroma differently)
#   alpha.avif           with an alpha channel
#   premultiplied.avif   alpha multiplied into the colours
#   turned.avif          a quarter anticlockwise and mirrored left to right by
#                        its rotation and mirroring boxes, which avifdec leaves
#                        out: ImageMagick applies them to its picture
#   p3.avif              Display P3 primaries in its colour description
#                        (p3.colours: colours it must show in sRGB)
#
# avifdec and libheif turn YUV into RGB with different rounding, so colours
# may differ by 1 (<case>.tolerance holds the largest difference allowed);
# dividing the alpha out again magnifies that where alpha is small.
#
# Run from anywhere: tests/files/avif/generate.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$here/../source_pictures.py" "$work"

encode() { avifenc --min 10 --max 20 -s 6 "$@" >/dev/null; }
encode "$work/photo.png" "$here/photo.avif"
encode "$work/alpha.png" "$here/alpha.avif"
encode -p "$work/alpha.png" "$here/premultiplied.avif"
encode --irot 1 --imir 1 "$work/portrait.png" "$here/turned.avif"
encode --cicp 12/13/6 "$work/photo.png" "$here/p3.avif"

# expected CASE TOLERANCE [IMAGEMAGICK OPTIONS...]
expected() {
  local name="$1" tolerance="$2" png="$work/out.png" type=TrueColor
  shift 2
  avifdec "$here/$name.avif" "$png" >/dev/null
  [[ "$(identify -format '%[channels]' "$png")" == *a ]] && type=TrueColorAlpha
  convert "$png" "$@" -depth 8 -type "$type" "PAM:$here/$name.pam"
  echo "$tolerance" >"$here/$name.tolerance"
}
expected photo 1
expected alpha 1
expected premultiplied 4
expected turned 1 -rotate 270 -flop
expected p3 1
python3 "$here/../colour_sample.py" "$here/p3.colours" 0.680 0.320 0.265 0.690 0.150 0.060

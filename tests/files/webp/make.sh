#!/usr/bin/env bash
# Makes the WebP golden files with libwebp's own tools: each case NAME.webp
# beside NAME.pam, the picture dwebp decodes (RGB for a file without alpha).
# An animation ANIM.webp has ANIM.pam for its first frame and
# ANIM.frameN.pam for frame N (from 1), the canvas ImageMagick composes.
# Needs cwebp, dwebp, img2webp, webpmux (Debian webp), ImageMagick, exiftool.
set -euo pipefail
cd "$(dirname "$0")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Sources: a colour gradient with a disc, and the same with soft alpha.
convert -size 48x32 gradient:'#ff2000-#0040ff' -fill '#20e020' -draw 'circle 30,14 30,4' "$work/rgb.png"
convert -size 48x32 gradient:'#ff2000-#0040ff' \( -size 48x32 radial-gradient:white-black \) \
  -alpha off -compose copy_opacity -composite "$work/rgba.png"

cwebp -quiet -q 75 "$work/rgb.png" -o lossy.webp
cwebp -quiet -lossless "$work/rgb.png" -o lossless.webp
cwebp -quiet -q 80 -alpha_q 100 "$work/rgba.png" -o lossy-alpha.webp
cwebp -quiet -lossless -exact "$work/rgba.png" -o lossless-alpha.webp

# EXIF orientation 6 (turned a quarter clockwise), once as a bare TIFF
# block (exiftool) and once behind the "Exif\0\0" of a JPEG APP1 segment.
cp lossy.webp orientation-tiff.webp
exiftool -q -overwrite_original -n -Orientation=6 orientation-tiff.webp
python3 - "$work/exif-app1.bin" <<'PY'
import struct, sys
tiff = b"II*\0" + struct.pack("<I", 8) + struct.pack("<H", 1) \
     + struct.pack("<HHII", 274, 3, 1, 6) + struct.pack("<I", 0)
open(sys.argv[1], "wb").write(b"Exif\0\0" + tiff)
PY
webpmux -set exif "$work/exif-app1.bin" lossy.webp -o orientation-app1.webp >/dev/null 2>&1

# A colour profile in the ICCP chunk.
cp /usr/share/color/icc/colord/Gamma5000K.icc icc.icc
webpmux -set icc icc.icc lossless.webp -o icc.webp >/dev/null 2>&1

for f in lossy lossless orientation-tiff orientation-app1 icc; do
  dwebp -quiet -pam "$f.webp" -o "$work/$f.pam"
  convert "$work/$f.pam" -alpha off -depth 8 "$f.pam"
done
for f in lossy-alpha lossless-alpha; do
  dwebp -quiet -pam "$f.webp" -o "$f.pam"
done

# Three frames of different delays, played three times.
convert -size 32x24 xc:'#c02020' -fill '#f0f020' -draw 'rectangle 2,2 12,10' "$work/f1.png"
convert -size 32x24 xc:'#c02020' -fill '#2020f0' -draw 'rectangle 10,8 28,20' "$work/f2.png"
convert -size 32x24 xc:'#208020' -fill '#f0f0f0' -draw 'circle 16,12 16,4' "$work/f3.png"
img2webp -loop 3 -d 100 "$work/f1.png" -d 250 "$work/f2.png" -d 40 "$work/f3.png" -o anim.webp >/dev/null
convert anim.webp -coalesce -alpha on -depth 8 "$work/anim-%d.pam"
cp "$work/anim-0.pam" anim.pam
for n in 1 2; do cp "$work/anim-$n.pam" "anim.frame$n.pam"; done

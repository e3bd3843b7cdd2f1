#!/usr/bin/env bash
# Makes the GIF golden files with ImageMagick and gifsicle: each case
# NAME.gif beside NAME.pam, the picture ImageMagick decodes. An animation
# ANIM.gif has ANIM.pam for its first frame and ANIM.frameN.pam for frame N
# (from 1), the canvas `convert -coalesce` composes.
set -euo pipefail
cd "$(dirname "$0")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

convert -size 40x28 gradient:'#ff2000-#0040ff' -fill '#20e020' -draw 'circle 26,12 26,3' "$work/rgb.png"

# A still of the first version, one global table of 16 colours.
convert "$work/rgb.png" +dither -colors 16 GIF87:still87a.gif
# Interlaced rows (four passes), 64 colours.
convert "$work/rgb.png" +dither -colors 64 "$work/c64.gif"
gifsicle --interlace "$work/c64.gif" -o interlaced.gif
# A transparent index: the corners of the picture are see-through.
convert "$work/rgb.png" +dither -colors 31 \( -size 40x28 xc:black -fill white -draw 'roundrectangle 0,0 39,27 12,12' \) \
  -alpha off -compose copy_opacity -composite transparent.gif

for f in still87a interlaced; do convert "$f.gif" -type TrueColor -depth 8 "$f.pam"; done
convert transparent.gif -type TrueColorAlpha -depth 8 transparent.pam

# Four frames, each disposal method once, played twice: a full opaque
# frame kept (none); a partial frame cleared after it is shown
# (background); a partial frame with see-through pixels that is taken back
# (previous); a last partial frame with a local colour table.
convert -size 32x24 xc:'#3050c0' -fill '#f0d020' -draw 'rectangle 0,0 31,5' "$work/a1.png"
convert -size 12x10 xc:'#e03030' "$work/a2.png"
convert -size 10x10 xc:none -fill '#30e030' -draw 'circle 5,5 5,1' "$work/a3.png"
convert -size 8x8 xc:'#ffffff' -fill '#000000' -draw 'rectangle 2,2 5,5' "$work/a4.png"
convert -loop 2 \
  -dispose none -delay 10 -page 32x24+0+0 "$work/a1.png" \
  -dispose background -delay 20 -page 32x24+4+4 "$work/a2.png" \
  -dispose previous -delay 5 -page 32x24+14+8 "$work/a3.png" \
  -dispose none -delay 0 -page 32x24+22+14 "$work/a4.png" \
  anim.gif
convert anim.gif -coalesce -alpha on -type TrueColorAlpha -depth 8 "$work/anim-%d.pam"
cp "$work/anim-0.pam" anim.pam
for n in 1 2 3; do cp "$work/anim-$n.pam" "anim.frame$n.pam"; done

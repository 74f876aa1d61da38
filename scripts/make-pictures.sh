#!/usr/bin/env bash
# Draws the setup program's pictures into setup/res/pictures/ (committed; rerun after changing this
# script): the wizard's left banner (164x314, 16-colour BMP that windres takes as a BITMAP), the
# program icon (16 and 32 px) and the notice icon (24 and 48 px).
# Needs ImageMagick's convert and the WenQuanYi Micro Hei font. The same tools give the same bytes.
# Usage: make-pictures.sh [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$(cd "$here/.." && pwd)/setup/res/pictures}
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc

command -v convert >/dev/null || { echo "make-pictures: ImageMagick's convert is missing" >&2; exit 1; }
[ -f "$font" ] || { echo "make-pictures: font $font is missing (fonts-wqy-microhei)" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Colours. The banner's gradient runs from blue_top to blue_bottom in eight steps of the palette.
blue_top='#2A6FC4'
blue_bottom='#0B2455'
gold='#E8B33A'
gold_dark='#A8730F'
pale='#A9C3E6'
navy='#061633'

# --- Banner ---

# The 16 colours: 8 blues along the gradient, then what the drawing uses and the steps its text's
# edges need. Fixed, so that the quantiser never decides them.
blues=()
for i in 0 1 2 3 4 5 6 7; do
  blues+=("xc:$(printf '#%02X%02X%02X' \
    $(( (0x2A * (7 - i) + 0x0B * i + 3) / 7 )) \
    $(( (0x6F * (7 - i) + 0x24 * i + 3) / 7 )) \
    $(( (0xC4 * (7 - i) + 0x55 * i + 3) / 7 )))")
done
convert "${blues[@]}" +append "$work/blues.png"
convert "$work/blues.png" xc:'#FFFFFF' xc:'#D6E3F5' xc:"$pale" xc:'#6E97D0' xc:"$gold" xc:"$gold_dark" \
  xc:'#F6DB98' xc:"$navy" +append "$work/palette.png"

# The gradient is dithered among the blues only, so no other colour speckles it; the drawing on top
# is then mapped to the palette without dithering, which keeps its edges clean.
convert -size 164x314 gradient:"$blue_top-$blue_bottom" -dither FloydSteinberg -remap "$work/blues.png" \
  "$work/background.png"
convert "$work/background.png" \
  -font "$font" -fill white -gravity north -pointsize 38 -annotate +0+30 'Zeva' \
  -gravity none -fill "$pale" -draw 'rectangle 42,86 122,87' \
  -fill "$navy" -draw 'roundrectangle 33,121 137,197 6,6' \
  -fill white -draw 'roundrectangle 30,118 134,194 6,6' \
  -fill "$blue_top" -draw 'rectangle 42,130 110,134' \
  -fill "$pale" -draw 'rectangle 42,142 122,144' -draw 'rectangle 42,150 116,152' -draw 'rectangle 42,158 96,160' \
  -fill "$gold" -draw 'circle 112,178 112,168' -fill "$gold_dark" -draw 'circle 112,178 112,173' \
  -fill none -stroke "$gold" -strokewidth 6 -draw 'circle 52,236 52,222' \
  -stroke none -fill "$gold" -draw 'rectangle 66,233 128,239' -draw 'rectangle 110,239 116,250' \
  -draw 'rectangle 120,239 126,246' \
  -font "$font" -fill white -gravity south -pointsize 14 -annotate +0+34 '数字证书客户端软件' \
  -fill "$pale" -pointsize 11 -annotate +0+16 'USB Key · 证书管理' \
  -dither None -remap "$work/palette.png" -type palette \
  BMP3:"$work/banner.bmp"

# --- Icons: each size drawn for its own pixel grid rather than scaled down ---

key_gold='#F2C14E'
convert -size 16x16 xc:none -fill "$blue_top" -draw 'roundrectangle 0,0 15,15 3,3' \
  -fill none -stroke "$key_gold" -strokewidth 2 -draw 'circle 5.5,5.5 5.5,2.5' \
  -draw 'line 7.5,7.5 13.5,13.5' -draw 'line 11.5,11.5 9.5,13.5' "$work/app16.png"
convert -size 32x32 xc:none -fill "$blue_bottom" -draw 'roundrectangle 1,2 30,31 6,6' \
  -fill "$blue_top" -draw 'roundrectangle 1,1 30,29 6,6' -fill '#3F86D8' -draw 'roundrectangle 3,3 28,14 4,4' \
  -fill none -stroke "$key_gold" -strokewidth 3 -draw 'circle 11,11 11,5.5' -draw 'line 15,15 26,26' \
  -draw 'line 22.5,22.5 19,26' -draw 'line 25.5,25.5 23,28' "$work/app32.png"
convert "$work/app16.png" "$work/app32.png" ICO:"$work/app.ico"

convert -size 24x24 xc:none -fill '#1D4F94' -draw 'circle 11.5,11.5 11.5,0.5' \
  -fill "$blue_top" -draw 'circle 11.5,11.5 11.5,1.5' \
  -fill white -draw 'circle 11.5,6.5 11.5,4.7' -draw 'rectangle 10,9.5 13,18' "$work/notice24.png"
convert -size 48x48 xc:none -fill '#1D4F94' -draw 'circle 23.5,23.5 23.5,1' \
  -fill "$blue_top" -draw 'circle 23.5,23.5 23.5,3' \
  -fill white -draw 'circle 23.5,13.5 23.5,10' -draw 'roundrectangle 20.5,19 26.5,37 2,2' "$work/notice48.png"
convert "$work/notice48.png" "$work/notice24.png" ICO:"$work/notice.ico"

# --- Checks: what the resource compiler and the wizard rely on ---

u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
bmp=$work/banner.bmp
# BITMAPFILEHEADER then a 40-byte BITMAPINFOHEADER: width, height (bottom-up), 1 plane, 4 bits.
if [ "$(head -c2 "$bmp")" != BM ] || [ "$(u32 "$bmp" 14)" != 40 ] || [ "$(u32 "$bmp" 18)" != 164 ] ||
   [ "$(u32 "$bmp" 22)" != 314 ] || [ "$(u16 "$bmp" 28)" != 4 ] || [ "$(u32 "$bmp" 30)" != 0 ]; then
  echo "make-pictures: banner.bmp is not a 164x314 uncompressed 4-bit BMP" >&2
  exit 1
fi
check_ico() {  # file, then the expected sizes in directory order
  local file=$1; shift
  local sizes
  sizes=$(identify -format '%w ' "$file")
  if [ "$sizes" != "$* " ]; then
    echo "make-pictures: $(basename "$file") holds sizes '$sizes', not '$* '" >&2
    exit 1
  fi
}
check_ico "$work/app.ico" 16 32
check_ico "$work/notice.ico" 48 24

# Only replaced when the bytes differ, so that a rerun leaves the files' times alone.
for f in banner.bmp app.ico notice.ico; do
  cmp -s "$work/$f" "$out/$f" 2>/dev/null || cp "$work/$f" "$out/$f"
done
echo "make-pictures: banner.bmp app.ico notice.ico in $out"

#!/bin/sh
# Renders the hand-written SVG pictures to the PNG files the program carries (needs rsvg-convert and ImageMagick;
# the program's build needs neither: the PNGs are kept in the repository).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
res=$(dirname "$here")

# Toolbar and menu pictures: 16 x 16 with transparency, and 32 x 32 beside them for high-density screens.
for svg in "$here"/toolbar/[0-9][0-9].svg; do
    base=${svg%.svg}
    rsvg-convert -w 16 -h 16 -o "$base.png" "$svg"
    rsvg-convert -w 32 -h 32 -o "$base@2x.png" "$svg"
done

# Program icon: 24-bit colour with alpha at 16, 32, 48 and 64 pixels (16 has its own drawing, fitted to the
# pixel grid), the same in 256 colours with one transparent palette entry, and a Windows icon file of all eight.
nodate="-define png:exclude-chunks=date,time"
for size in 16 32 48 64; do
    src="$here/quillax.svg"
    [ "$size" -eq 16 ] && src="$here/quillax-16.svg"
    rsvg-convert -w $size -h $size -o "$here/quillax-$size.png" "$src"
    # Palette version: alpha cut to on/off, at most 255 colours plus the transparent one.
    convert "$here/quillax-$size.png" -channel A -threshold 50% +channel -dither None -colors 255 \
        $nodate -define png:bit-depth=8 "PNG8:$here/quillax-$size-8bit.png"
done
python3 "$here/make-ico.py" "$here/quillax.ico" \
    "$here/quillax-16-8bit.png" "$here/quillax-32-8bit.png" "$here/quillax-48-8bit.png" "$here/quillax-64-8bit.png" \
    "$here/quillax-16.png" "$here/quillax-32.png" "$here/quillax-48.png" "$here/quillax-64.png"

# About banner: 478 x 128 in 24-bit colour, no alpha channel.
rsvg-convert -w 478 -h 128 -b '#ffffff' -o "$res/images/banner-rgba.png" "$res/images/banner.svg"
convert "$res/images/banner-rgba.png" -background white -alpha remove -alpha off $nodate "PNG24:$res/images/banner.png"
rm -f "$res/images/banner-rgba.png"

#!/usr/bin/env bash
# Draws the four tray arrow icons (16, 32 and 48 pixels in one .ico each) in the
# colours of the program icon: an orange arrow on the dark blue rounded square.
# The icons are committed; run this only to change them. Needs ImageMagick.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/src/app/res"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

blue='#1F4E8C'
orange='#F0A020'
# Drawn this many times larger, then scaled down: smooth diagonals, while edges
# on whole pixels stay sharp even at 16 pixels.
oversample=8

# A right arrow of SIZE pixels into FILE. Its outline is given on a 16-unit grid.
right_arrow() {
    local size=$1 file=$2
    local big=$((size * oversample))
    local radius=$((big * 14 / 100))
    local points="" xy
    # Shaft from x 2 to 8 between y 6 and 10, head from x 8 to the tip at 14.
    for xy in 2,6 8,6 8,2 14,8 8,14 8,10 2,10; do
        # Pixel centres lie at .5: shifting by half a pixel puts edges on pixel borders.
        points+="$(awk -v p="$xy" -v u="$big" 'BEGIN { split(p, c, ","); printf "%.2f,%.2f ", c[1] * u / 16 - 0.5, c[2] * u / 16 - 0.5 }')"
    done
    /usr/bin/convert +antialias -size "${big}x${big}" xc:none \
        -fill "$blue" -draw "roundrectangle 0,0 $((big - 1)),$((big - 1)) $radius,$radius" \
        -fill "$orange" -draw "polygon $points" \
        -filter box -resize "${size}x${size}" "PNG32:$file"
}

for size in 16 32 48; do
    right_arrow "$size" "$work/right-$size.png"
    /usr/bin/convert "$work/right-$size.png" -flop "PNG32:$work/left-$size.png"
    /usr/bin/convert "$work/right-$size.png" -rotate -90 "PNG32:$work/up-$size.png"
    /usr/bin/convert "$work/right-$size.png" -rotate 90 "PNG32:$work/down-$size.png"
done

for direction in up down left right; do
    /usr/bin/convert "$work/$direction-16.png" "$work/$direction-32.png" "$work/$direction-48.png" \
        "$out/arrow-$direction.ico"
done
echo "wrote $out/arrow-{up,down,left,right}.ico"

#!/usr/bin/env bash
# Draws the receiver icons (a dish on a post, in the state's colour). The outputs are committed;
# run this only to change the pictures.
#   make-icons.sh ico   the three state icons, GPS_*.ico, at 16, 32 and 48 px
#   make-icons.sh png   the desktop entry's icon, hicolor/NxN/apps/quorvane.png, 16 to 256 px
#   make-icons.sh       both
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert  # ImageMagick's own, not another tool of the same name
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One picture on a 192 px grid, drawn at `scale` times that size: big enough that every size
# is scaled down from it.
draw() {  # scale fill light dark output
    local s=$1 fill=$2 light=$3 dark=$4 out=$5
    "$convert" -size $((192 * s))x$((192 * s)) xc:none -strokewidth 10 -stroke "$dark" \
        -fill "$dark" -draw "scale $s,$s polygon 70,188 122,188 106,118 86,118" \
        -fill "$fill" -draw "scale $s,$s translate 88,96 rotate -40 path 'M -80,0 A 80,70 0 0,0 80,0 Z'" \
        -fill "$light" -strokewidth 8 -draw "scale $s,$s translate 88,96 rotate -40 ellipse 0,0 80,24 0,360" \
        -strokewidth 9 -draw "scale $s,$s line 88,96 146,40" \
        -fill "$fill" -strokewidth 7 -draw "scale $s,$s circle 150,36 166,36" \
        "$out"
}

ico() {  # name fill light dark
    draw 1 "$2" "$3" "$4" "$work/big.png"
    for size in 16 32 48; do
        "$convert" "$work/big.png" -filter Lanczos -resize ${size}x${size} "$work/$size.png"
    done
    "$convert" "$work/16.png" "$work/32.png" "$work/48.png" "$1"
}

green=('#20d030' '#b0f5b0' '#0a4a10')

if [ "${1:-all}" != png ]; then
    ico GPS_YELLOW.ico '#ffd200' '#fff0a0' '#5a4600'
    ico GPS_GREEN.ico "${green[@]}"
    ico GPS_RED.ico '#ff2a1a' '#ffb0a8' '#5a0a05'
fi
if [ "${1:-all}" != ico ]; then
    # The green picture stands for the program in menus; no time stamps, so a rerun that draws
    # the same picture changes no file.
    draw 2 "${green[@]}" "$work/big.png"
    for size in 16 24 32 48 64 128 256; do
        mkdir -p hicolor/${size}x${size}/apps
        "$convert" "$work/big.png" -filter Lanczos -resize ${size}x${size} -depth 8 -strip \
            -define png:exclude-chunks=date,time hicolor/${size}x${size}/apps/quorvane.png
    done
fi

#!/usr/bin/env bash
# Draws the three receiver icons (a dish on a post, in the state's colour) at 16, 32 and 48 px.
# The .ico files are committed; run this only to change the pictures.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert  # ImageMagick's own, not another tool of the same name
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

draw() {  # name fill outline
    local name=$1 fill=$2 light=$3 dark=$4
    # Drawn large on a 192 px canvas and scaled down, so every size comes from one picture.
    "$convert" -size 192x192 xc:none -strokewidth 10 -stroke "$dark" \
        -fill "$dark" -draw "polygon 70,188 122,188 106,118 86,118" \
        -fill "$fill" -draw "translate 88,96 rotate -40 path 'M -80,0 A 80,70 0 0,0 80,0 Z'" \
        -fill "$light" -strokewidth 8 -draw "translate 88,96 rotate -40 ellipse 0,0 80,24 0,360" \
        -strokewidth 9 -draw "line 88,96 146,40" \
        -fill "$fill" -strokewidth 7 -draw "circle 150,36 166,36" \
        "$work/big.png"
    for size in 16 32 48; do
        "$convert" "$work/big.png" -filter Lanczos -resize ${size}x${size} "$work/$size.png"
    done
    "$convert" "$work/16.png" "$work/32.png" "$work/48.png" "$name"
}

draw GPS_YELLOW.ico '#ffd200' '#fff0a0' '#5a4600'
draw GPS_GREEN.ico '#20d030' '#b0f5b0' '#0a4a10'
draw GPS_RED.ico '#ff2a1a' '#ffb0a8' '#5a0a05'

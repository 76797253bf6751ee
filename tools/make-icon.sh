#!/usr/bin/env bash
# Writes ui/PLMOInstApp.ico: the program's square mark drawn at every size Windows asks for from
# 100 % to 200 % scaling (small icons 16-32, large 32-64), each with whole-pixel edges so that no
# size is a blurred stretch of another. The mark is the original 32 px artwork: a white ring from
# 6 to 26, blue inside from 10 to 22, an orange square from 13 to 19, on blue.
set -euo pipefail
out=${1:-$(cd "$(dirname "$0")/.." && pwd)/ui/PLMOInstApp.ico}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
blue='#1F4E9C' white='#FFFFFF' orange='#F0A020'
frames=()
for s in 16 20 24 32 40 48 64; do
    # Edge of the 32 px artwork scaled to this size, rounded half up, the same on every side.
    edge() { echo $(((2 * $1 * s + 32) / 64)); }
    args=()
    for layer in "6 $white" "10 $blue" "13 $orange"; do
        set -- $layer
        a=$(edge "$1")
        args+=(-fill "$2" -draw "rectangle $a,$a $((s - a - 1)),$((s - a - 1))")
    done
    convert -size "${s}x$s" "xc:$blue" +antialias "${args[@]}" -type TrueColorAlpha \
        -define png:exclude-chunks=date,time "PNG32:$tmp/$s.png"
    frames+=("$tmp/$s.png")
done
convert "${frames[@]}" "$out"

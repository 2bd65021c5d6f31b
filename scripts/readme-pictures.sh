#!/usr/bin/env bash
# Makes every picture of the README from the programs themselves: the explorer's window with
# its legend and info panel (the headless backend draws exactly what the window shows), and a
# small picture of each view in views/, computed by zentrix-render at the explorer's full size.
#
#   scripts/readme-pictures.sh [BUILD_FOLDER [OUT_FOLDER]]    (default: build docs/pictures)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-docs/pictures}
thumb=320x180   # a sixth of 1920 x 1080

command -v convert >/dev/null || { echo "missing convert (scripts/deps.sh installs imagemagick)"; exit 1; }
cmake --build "$build" -j2 --target zentrix-render headless_snapshot >/dev/null
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# PNG files without dates or other chunks that change from run to run.
png() { convert "$@" -strip -define png:exclude-chunks=date,time "$out_file"; }

out_file="$out/explorer.png"
"$build/tests/xvfb/headless_snapshot" --real-clock "$work/explorer.ppm" 1280 720 "" views/seahorse-spiral.zxp >/dev/null
png "$work/explorer.ppm" -colors 256
echo "$out_file"

for view in views/*.zxp; do
    name=$(basename "$view" .zxp)
    "$build/zentrix-render" "$view" "$work/$name.png" >/dev/null
    out_file="$out/$name.png"
    png "$work/$name.png" -filter box -resize "$thumb" -colors 256
    echo "$out_file"
done

# A poster and a plain and an anti-aliased picture of one view, in all their colours.
spiral=views/seahorse-spiral.zxp
for shot in "spiral-poster:--size 240x135 --scale 4" "spiral-plain:--size 320x180" "spiral-aa4:--size 320x180 --aa 4"; do
    name=${shot%%:*}
    # shellcheck disable=SC2086
    "$build/zentrix-render" ${shot#*:} "$spiral" "$work/$name.png" >/dev/null
    out_file="$out/$name.png"
    png "$work/$name.png"
    echo "$out_file"
done

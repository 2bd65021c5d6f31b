#!/usr/bin/env bash
# The desktop build driven by X input: a click in the picture, Page Up, an arrow key and the
# M key must leave the same picture in the real window as the same input leaves on the
# headless backend (the same view: centre, zoom and colours), and the window must have the
# size the program chose.
#
#   run_xvfb_commands_test.sh ZENTRIX COMMANDS_SNAPSHOT XVFB_COMPARE WORKDIR [program arguments...]
#
# With XVFB_SCALE=N (and a screen of N times the logical one in XVFB_SCREEN) the window is
# expected N times larger, each of its pixels an N x N block, and the click alone is played.
set -euo pipefail
zentrix=$1 snapshot=$2 compare=$3 work=$4
shift 4
args=("$@")
scale=${XVFB_SCALE:-1}

# Client position of the click, then each key as a virtual-key code and its X name.
click_x=580 click_y=210
keys=("33 Prior" "37 Left" "77 m")
if [ "$scale" -gt 1 ]; then keys=(); fi

source "$(dirname "$0")/xvfb_lib.sh"
mkdir -p "$work"
cd "$work"
rm -f shot-*.ppm expected.ppm
start_xvfb

steps="click:$click_x:$click_y"
for k in "${keys[@]}"; do steps="$steps,key:${k%% *}"; done
read -r win_x win_y win_w win_h < <("$snapshot" --scale "$scale" expected.ppm "$screen_w" "$screen_h" "$steps" \
                                    "${args[@]}") || { echo "the headless run failed"; exit 1; }
echo "headless window ${win_w}x${win_h} at ($win_x, $win_y) after $steps, scale $scale"
[ "$click_x" -lt "$win_w" ] && [ "$click_y" -lt "$win_h" ] || { echo "the window is too small"; exit 1; }
# From here on the window's rectangle on the screen, in screen pixels.
sx=$((win_x * scale)) sy=$((win_y * scale)) sw=$((win_w * scale)) sh=$((win_h * scale))

# The pointer rests in the window, so the keyboard goes there on a bare server.
xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2))
"$zentrix" "${args[@]}" >zentrix.out 2>zentrix.err &
app_pid=$! app_err=zentrix.err

wait_for_picture ""
echo "first picture after $shot_n screenshots"
geometry=$(xdotool search --name '^Zntx$' getwindowgeometry | sed -n 's/.*Geometry: //p')
[ "$geometry" = "${sw}x${sh}" ] || { echo "the window is $geometry on the screen, not ${sw}x${sh}"; exit 1; }
cp "shot-$shot_n.ppm" before.ppm
# The middle of the screen pixels that show the client pixel clicked.
xdotool mousemove $((sx + click_x * scale + scale / 2)) $((sy + click_y * scale + scale / 2)) click 1
wait_for_picture before.ppm
echo "clicked at ($click_x, $click_y)"
for k in "${keys[@]}"; do
    cp "shot-$shot_n.ppm" before.ppm
    xdotool key "${k#* }"
    wait_for_picture before.ppm
    echo "pressed ${k#* }"
done

# The whole window, the info panel's DPI line included, as the headless backend drew it.
if ! "$compare" match "shot-$shot_n.ppm" expected.ppm "$win_x" "$win_y" "$scale"; then
    echo "the window differs from the headless picture: $work/shot-$shot_n.ppm vs $work/expected.ppm"
    exit 1
fi

xdotool key Escape
wait_for_exit 30
echo "the explorer ended with exit code $app_code"
[ "$app_code" -eq 0 ]

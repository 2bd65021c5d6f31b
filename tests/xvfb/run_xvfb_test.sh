#!/usr/bin/env bash
# End-to-end check of the desktop build on a virtual X server: the explorer's first picture
# must equal the one the headless backend computes for the same display and arguments, and
# Esc must end the program with exit code 0.
#
#   run_xvfb_test.sh ZENTRIX HEADLESS_SNAPSHOT XVFB_COMPARE WORKDIR [program arguments...]
set -euo pipefail
zentrix=$1 snapshot=$2 compare=$3 work=$4
shift 4
args=("$@")
first_picture_timeout=240   # seconds; the first picture takes a few seconds on a busy machine
exit_timeout=30

source "$(dirname "$0")/xvfb_lib.sh"
mkdir -p "$work"
cd "$work"
rm -f shot-*.ppm window.ppm

# Without a display the explorer says so, and where to turn, before its error box's text.
if env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$zentrix" >nodisplay.out 2>nodisplay.err; then
    echo "the explorer started without a display"; exit 1
fi
said=$(grep -n 'no display could be opened.*zentrix-render' nodisplay.err | cut -d: -f1 | head -n1)
boxed=$(grep -n '^ERROR: ' nodisplay.err | cut -d: -f1 | head -n1)
[ -n "$said" ] && [ -n "$boxed" ] && [ "$said" -lt "$boxed" ] ||
    { echo "without a display the explorer said:"; cat nodisplay.err; exit 1; }

start_xvfb

# The expected window, and where it must stand on the screen.
read -r win_x win_y win_w win_h < <("$snapshot" window.ppm "$screen_w" "$screen_h" "" "${args[@]}") ||
    { echo "the headless snapshot failed"; exit 1; }
echo "headless window ${win_w}x${win_h} at ($win_x, $win_y)"

"$zentrix" "${args[@]}" >zentrix.out 2>zentrix.err &
app_pid=$!

# The first picture is there when the window stays the same for a second and is lit. A tile
# that takes that long would look settled too, so a mismatch counts only once the window has
# not changed for ten seconds.
shot() { import -window root -depth 8 "ppm:$1" 2>>import.log; }
deadline=$((SECONDS + first_picture_timeout))
n=0 same=0
shot shot-0.ppm || true
while :; do
    sleep 0.5
    n=$((n + 1))
    kill -0 "$app_pid" 2>/dev/null || { echo "the explorer ended early:"; cat zentrix.err; exit 1; }
    shot "shot-$n.ppm" || continue
    if "$compare" settled "shot-$((n - 1)).ppm" "shot-$n.ppm" "$win_x" "$win_y" "$win_w" "$win_h"; then
        same=$((same + 1))
    else
        same=0
    fi
    rm -f "shot-$((n - 1)).ppm"
    if [ $same -ge 2 ]; then
        if "$compare" match "shot-$n.ppm" window.ppm "$win_x" "$win_y"; then
            break
        elif [ $same -ge 20 ]; then
            echo "the window differs from the headless picture: $work/shot-$n.ppm vs $work/window.ppm"
            exit 1
        fi
    fi
    if [ $SECONDS -ge $deadline ]; then
        echo "no settled picture within ${first_picture_timeout}s; last screenshot: $work/shot-$n.ppm"
        exit 1
    fi
done
echo "the window shows the headless picture after $n screenshots"
# Kept for a person to look at: the real window with its legend and info panel.
convert "shot-$n.ppm" -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage "$work/zentrix-window.png" 2>/dev/null &&
    echo "screenshot of the window: $work/zentrix-window.png"

# Esc reaches the window under the pointer: a bare server gives the focus to it.
xdotool mousemove $((win_x + win_w / 2)) $((win_y + win_h / 2))
escape_until_exit "$exit_timeout"
echo "the explorer ended with exit code $app_code"
[ -s zentrix.err ] && { echo "its error output:"; cat zentrix.err; }
[ "$app_code" -eq 0 ]

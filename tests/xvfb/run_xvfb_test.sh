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
screen_w=1920 screen_h=1080
first_picture_timeout=240   # seconds; the first picture takes a few seconds on a busy machine
exit_timeout=30

for tool in Xvfb import xdotool; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
done
mkdir -p "$work"
cd "$work"
rm -f display.txt shot-*.ppm window.ppm

xvfb_pid="" zentrix_pid=""
cleanup() {
    [ -n "$zentrix_pid" ] && kill "$zentrix_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

# The server picks a free display itself and names it once it accepts connections.
Xvfb -displayfd 3 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp 3>display.txt 2>xvfb.log &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s display.txt ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start:"; cat xvfb.log; exit 1; }
    sleep 0.1
done
[ -s display.txt ] || { echo "Xvfb named no display"; exit 1; }
export DISPLAY=":$(head -n1 display.txt)"
export SDL_VIDEODRIVER=x11
echo "Xvfb on $DISPLAY"

# The expected window, and where it must stand on the screen.
read -r win_x win_y win_w win_h < <("$snapshot" window.ppm "$screen_w" "$screen_h" "${args[@]}")
echo "headless window ${win_w}x${win_h} at ($win_x, $win_y)"

"$zentrix" "${args[@]}" >zentrix.out 2>zentrix.err &
zentrix_pid=$!

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
    kill -0 "$zentrix_pid" 2>/dev/null || { echo "the explorer ended early:"; cat zentrix.err; zentrix_pid=""; exit 1; }
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

# Esc reaches the window under the pointer: a bare server gives the focus to it.
xdotool mousemove $((win_x + win_w / 2)) $((win_y + win_h / 2))
xdotool key Escape
deadline=$((SECONDS + exit_timeout))
while kill -0 "$zentrix_pid" 2>/dev/null; do
    if [ $SECONDS -ge $deadline ]; then
        echo "the explorer did not end within ${exit_timeout}s of Esc"
        exit 1
    fi
    # A zombie has ended; wait collects its code below.
    [ "$(ps -o stat= -p "$zentrix_pid" 2>/dev/null | cut -c1)" = "Z" ] && break
    sleep 0.2
done
set +e
wait "$zentrix_pid"
code=$?
set -e
zentrix_pid=""
echo "the explorer ended with exit code $code"
[ -s zentrix.err ] && { echo "its error output:"; cat zentrix.err; }
[ "$code" -eq 0 ]

#!/usr/bin/env bash
# The Windows explorer end to end under Wine on a virtual X server. With a view file on its
# command line it shows what the headless backend draws for the same display; F9 saves the
# picture zentrix-render makes of that view, pixel for pixel (and zentrix-render.exe writes
# the very same file); the saved view file loads back to the same view; a click zooms in to
# the view the headless backend reaches with the same click; a damaged view file brings up
# the red load message; Esc ends every run with exit code 0. WINEPREFIX names a prefix made
# beforehand. Screenshots and each run's error output stay in WORKDIR.
#
#   run_wine_test.sh WINE ZENTRIX_EXE RENDER_EXE RENDER HEADLESS_SNAPSHOT XVFB_COMPARE VIEW WORKDIR
set -euo pipefail
wine=$1
mapfile -t paths < <(realpath -m "${@:2:7}")   # the script works in WORKDIR
exe=${paths[0]} render_exe=${paths[1]} render=${paths[2]} snapshot=${paths[3]} compare=${paths[4]}
view=${paths[5]} work=${paths[6]}
click_x=700 click_y=300     # a point in the picture, clear of the legend and the panel
save_timeout=30             # seconds for F9's two files to appear

source "$(dirname "$0")/../xvfb/xvfb_lib.sh"
rm -rf "$work"
mkdir -p "$work/app"
cd "$work"
cp "$exe" app/zentrix.exe
cp "$view" view.zxp
start_xvfb
# Wine's desktop keeps the size of the display it started on: the prefix's server starts
# afresh, on this one.
wineserver=$(dirname "$wine")/wineserver
"$wineserver" -k 2>/dev/null && "$wineserver" -w || true
"$wineserver" -p
wine_cleanup() {
    "$wineserver" -k 2>/dev/null || true   # before its display goes
    xvfb_cleanup
}
trap wine_cleanup EXIT

fail() {
    echo "FAILED: $*"
    echo "screenshots and error output: $work"
    exit 1
}

# The window the headless backend draws for the same display, arguments and input steps. It
# runs in the same folder, so the load message names a file as the explorer's does; what it
# saves goes to ./Pictures.
expect() {   # OUT.ppm STEPS ARGS...
    local out=$1 steps=$2
    shift 2
    read -r win_x win_y win_w win_h < <("$snapshot" "$out" "$screen_w" "$screen_h" "$steps" "$@") ||
        fail "the headless run for $out failed"
}

# Waits until the window shows EXPECTED (up to the calculation time in the info panel) and
# keeps that screenshot as NAME.ppm.
wait_for_match() {   # EXPECTED NAME
    local deadline=$((SECONDS + step_timeout))
    until next_shot && "$compare" match "shot-$shot_n.ppm" "$1" "$win_x" "$win_y" >"$2.compare"; do
        [ $SECONDS -lt $deadline ] || { cat "$2.compare"; fail "the window never showed $1 (last: shot-$shot_n.ppm)"; }
        rm -f "shot-$shot_n.ppm"
    done
    mv "shot-$shot_n.ppm" "$2.ppm"
}

start_explorer() {   # NAME ARGS...
    local name=$1
    shift
    xdotool mousemove $((win_x + win_w / 2)) $((win_y + win_h / 2))   # the keys go to the window under it
    "$wine" app/zentrix.exe "$@" >"$name.out" 2>"$name.err" &
    app_pid=$! app_err=$name.err
}

end_explorer() {
    escape_until_exit 30
    [ "$app_code" -eq 0 ] || { cat "$app_err"; fail "Esc ended the explorer with exit code $app_code"; }
}

# F9, then the stem of the two new files in the Pictures folder beside the program.
save_view() {   # sets saved
    local before deadline=$((SECONDS + save_timeout))
    before=$(ls app/Pictures 2>/dev/null | tr '\n' ' ' || true)
    xdotool key F9
    while :; do
        for png in app/Pictures/*.png; do
            [ -e "$png" ] && [[ " $before " != *" $(basename "$png") "* ]] && [ -e "${png%.png}.zxp" ] &&
                { saved=${png%.png}; return 0; }
        done
        [ $SECONDS -lt $deadline ] || fail "F9 saved no picture within ${save_timeout}s"
        sleep 0.2
    done
}

same_pixels() { cmp -s <(convert "$1" rgb:-) <(convert "$2" rgb:-) && [ "$(identify -format %wx%h "$1")" = "$(identify -format %wx%h "$2")" ]; }
view_lines() { head -n 12 "$1" | tr -d '\r'; }   # the view's values, without the comment

echo "== the first picture of a view file, saved with F9"
expect first-expected.ppm "" view.zxp
echo "window ${win_w}x${win_h} at ($win_x, $win_y)"
start_explorer first view.zxp
wait_for_match first-expected.ppm first
# Wine hands the desktop the class icon at 32 x 32: corners clear, the set black in the middle.
icon=$(xprop -id "$(xdotool search --name '^Zntx$' | head -n1)" -notype 32c _NET_WM_ICON 2>/dev/null | tr -d ' ' | cut -d= -f2)
[ "$(echo "$icon" | cut -d, -f1-3),$(echo "$icon" | cut -d, -f531)" = "32,32,0,4278190080" ] ||
    fail "the window does not show the program's icon: ${icon:0:80}"
save_view
first_saved=$saved
"$render" --size "${win_w}x${win_h}" view.zxp render.png >render.out || fail "zentrix-render failed"
same_pixels "$first_saved.png" render.png || fail "the saved picture $first_saved.png differs from render.png"
"$wine" "$render_exe" --size "${win_w}x${win_h}" view.zxp render-win.png >render-win.out 2>render-win.err ||
    fail "zentrix-render.exe failed: $(cat render-win.err)"
cmp -s render-win.png render.png || fail "zentrix-render.exe wrote another file than zentrix-render"
end_explorer
echo "saved $first_saved.png: the picture zentrix-render makes of the view; Esc: exit code 0"

echo "== the saved view loaded back, then a click"
cp "$first_saved.zxp" saved.zxp
expect again-expected.ppm "" saved.zxp
start_explorer again saved.zxp
wait_for_match again-expected.ppm again
save_view
[ "$(view_lines "$saved.zxp")" = "$(view_lines "$first_saved.zxp")" ] || fail "$saved.zxp holds another view"
same_pixels "$saved.png" "$first_saved.png" || fail "$saved.png differs from the first save"
expect zoomed-expected.ppm "click:$click_x:$click_y" saved.zxp
rm -rf Pictures
"$snapshot" /dev/null "$screen_w" "$screen_h" "click:$click_x:$click_y,key:120" saved.zxp >/dev/null ||
    fail "the headless run with the click and F9 failed"
xdotool mousemove $((win_x + click_x)) $((win_y + click_y)) click 1
wait_for_match zoomed-expected.ppm zoomed
save_view
[ "$(view_lines "$saved.zxp")" = "$(view_lines Pictures/*.zxp)" ] ||
    fail "the view saved after the click, $saved.zxp, is not the headless backend's: $(ls Pictures)"
end_explorer
echo "the saved view loads back; the click zoomed in to $(sed -n 2,4p "$saved.zxp" | tr -s ' ' | tr '\n' ';')"

echo "== a damaged view file"
sed '3s/^\$[0-9A-F]*/$NOT-HEX/' view.zxp >damaged.zxp   # the first word of the centre
expect damaged-expected.ppm "" damaged.zxp
start_explorer damaged damaged.zxp
wait_for_match damaged-expected.ppm damaged
# The rows of the strip's filling, across the middle of the window.
strip="${win_w}x16+${win_x}+$((win_y + win_h / 2 - 8))"
red=$(convert damaged.ppm -crop "$strip" -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' \
      -format '%[fx:int(mean*w*h+0.5)]' info:)
convert damaged.ppm -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage damaged-window.png
[ "$red" -ge $((win_w * 4)) ] || fail "no red load message strip in damaged-window.png ($red red pixels)"
end_explorer
echo "the load message strip is red ($red red pixels): $work/damaged-window.png"
echo "all Windows end-to-end checks passed"

#!/usr/bin/env bash
# The SDL backend's input on a virtual X server: X key presses, buttons, wheel and pointer
# moves must reach a window procedure as the desktop's messages (F10 and Alt combinations as
# system keys unless Ctrl is held, the keypad by the NumLock state), a minimise that no window
# manager carries out must come back as the focus, again until the window restores itself,
# and Alt+F4 must close the window through the default procedure.
#
#   run_sdl_events_test.sh SDL_EVENTS WORKDIR
set -euo pipefail
events=$1 work=$2
source "$(dirname "$0")/xvfb_lib.sh"
mkdir -p "$work"
cd "$work"
rm -f events.log
start_xvfb

# The window covers (100, 100) .. (419, 299) of the screen.
"$events" 100 100 320 200 >events.log 2>events.err &
app_pid=$!
for _ in $(seq 100); do
    grep -q '^PAINT' events.log 2>/dev/null && break
    sleep 0.1
done
grep -q '^PAINT' events.log || { echo "the window never painted"; cat events.err; exit 1; }

# On a bare server the keyboard follows the pointer, and the window takes a moment to get
# the focus: Shift is pressed until it arrives, then the keys under test go.
xdotool mousemove 200 200
for _ in $(seq 50); do
    xdotool key Shift_L
    sleep 0.1
    grep -q '^KEYUP 16' events.log && break
done
# The server starts with NumLock off. Keypad keys are named by the symbols they carry without
# modifiers, so xdotool sends them bare and the NumLock state alone decides.
for key in a KP_Add minus equal Num_Lock KP_Begin Num_Lock F5 F12 Prior Next Delete BackSpace Tab \
           Return KP_Enter Escape space Left Up Right Down Shift_L Control_L Super_L 9 \
           KP_Up KP_Begin KP_Prior KP_Delete F10; do
    xdotool key "$key"
done
xdotool keydown Control_L key Alt_L keyup Control_L
xdotool key alt+F1
xdotool click 4 click 5 click 3
# Pressed inside, dragged out past the right and bottom edges: the window sees its own corner.
xdotool mousedown 1
sleep 0.2
xdotool mousemove 700 600
sleep 0.2
xdotool mouseup 1
sleep 0.2
xdotool mousemove 200 200
sleep 0.2
xdotool key F11    # the window asks to be minimised; nothing here carries it out
sleep 1.5          # the focus comes back until the window restores itself
xdotool key alt+F4
wait_for_exit 20

# Each expected line must come, in this order; focus, paint and other lines may come between.
expected=(
    "KEYDOWN 65" "KEYUP 65" "KEYDOWN 107" "KEYDOWN 189" "KEYDOWN 187" "KEYDOWN 101" "KEYDOWN 116"
    "KEYDOWN 123" "KEYDOWN 33" "KEYDOWN 34" "KEYDOWN 46" "KEYDOWN 8" "KEYDOWN 9" "KEYDOWN 13"
    "KEYDOWN 13" "KEYDOWN 27" "KEYDOWN 32" "KEYDOWN 37" "KEYDOWN 38" "KEYDOWN 39" "KEYDOWN 40"
    "KEYDOWN 16" "KEYUP 16" "KEYDOWN 17" "KEYUP 17" "KEYDOWN 91" "KEYDOWN 57"
    "KEYDOWN 38" "KEYDOWN 12" "KEYDOWN 33" "KEYDOWN 46" "SYSKEYDOWN 121" "SYSKEYUP 121"
    "KEYDOWN 17" "KEYDOWN 18" "KEYUP 18" "KEYUP 17"
    "SYSKEYDOWN 18" "SYSKEYDOWN 112"
    "MOUSEWHEEL 120" "MOUSEWHEEL -120" "RBUTTONDOWN 100 100" "RBUTTONUP 100 100"
    "LBUTTONDOWN 100 100" "MOUSEMOVE 319 199" "MOUSEMOVE 100 100" "KEYDOWN 122" "SETFOCUS" "SETFOCUS"
    "SYSKEYDOWN 18" "SYSKEYDOWN 115" "CLOSE" "DESTROY"
)
i=0
while IFS= read -r line; do
    [ $i -lt ${#expected[@]} ] && [ "$line" = "${expected[$i]}" ] && i=$((i + 1))
done <events.log
if [ $i -lt ${#expected[@]} ]; then
    echo "missing \"${expected[$i]}\" (after ${i} expected lines); the window saw:"
    tr '\n' ';' <events.log
    echo
    exit 1
fi
# Any pointer position the window saw lies inside it.
if awk '/^(MOUSEMOVE|LBUTTON|RBUTTON)/ && ($2 > 319 || $3 > 199) { bad = 1 } END { exit !bad }' events.log; then
    echo "a mouse position outside the window:"
    grep -E '^(MOUSEMOVE|LBUTTON|RBUTTON)' events.log
    exit 1
fi
echo "all ${#expected[@]} expected messages arrived; exit code $app_code"
[ "$app_code" -eq 0 ]

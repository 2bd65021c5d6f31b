# tests/xvfb/xvfb_lib.sh - a private virtual X server for one test script (sourced).
# After start_xvfb, DISPLAY names the server; the EXIT trap ends it and the program under test.
# XVFB_SCREEN (WxH) sets the screen, 1920x1080 by default; the desktop's scale factors of the
# caller's session do not reach the program. wait_for_picture watches the program's window in
# screenshots.
screen=${XVFB_SCREEN:-1920x1080}
screen_w=${screen%x*} screen_h=${screen#*x}
unset GDK_SCALE ZENTRIX_SCALE
xvfb_pid="" app_pid=""

xvfb_cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}

start_xvfb() {
    for tool in Xvfb import xdotool; do
        command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
    done
    trap xvfb_cleanup EXIT
    rm -f display.txt
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
}

# Waits for the program under test to end and sets app_code to its exit code.
wait_for_exit() {
    local timeout=$1 deadline=$((SECONDS + $1))
    while kill -0 "$app_pid" 2>/dev/null; do
        [ "$(ps -o stat= -p "$app_pid" 2>/dev/null | cut -c1)" = "Z" ] && break   # ended, not yet collected
        if [ $SECONDS -ge $deadline ]; then
            echo "the program did not end within ${timeout}s"
            exit 1
        fi
        sleep 0.2
    done
    set +e
    wait "$app_pid"
    app_code=$?
    set -e
    app_pid=""
}

# Presses Esc until the program ends, then waits for it as wait_for_exit does: a key sent
# while the focus is still moving to the window under the pointer can be lost.
escape_until_exit() {
    local timeout=$1 attempt
    for attempt in 1 2 3 4 5; do
        xdotool key Escape
        for _ in $(seq 25); do
            kill -0 "$app_pid" 2>/dev/null || break 2
            [ "$(ps -o stat= -p "$app_pid" 2>/dev/null | cut -c1)" = "Z" ] && break 2
            sleep 0.2
        done
        echo "Esc number $attempt did not end the program"
    done
    wait_for_exit "$timeout"
}

# Screenshots of the whole screen, shot-1.ppm, shot-2.ppm, ...; shot_n is the last one.
# wait_for_picture needs compare (the xvfb_compare tool), the window's rectangle on the
# screen in sx, sy, sw, sh, and app_err, the program's error output, shown when it ends early.
shot_n=0
step_timeout=${step_timeout:-240}   # seconds for one picture on a busy machine
take_shot() { import -window root -depth 8 "ppm:$1" 2>>import.log; }
next_shot() {
    sleep 0.5
    kill -0 "$app_pid" 2>/dev/null || { echo "the program ended early:"; cat "$app_err"; exit 1; }
    shot_n=$((shot_n + 1))
    take_shot "shot-$shot_n.ppm"
}
same_as() { "$compare" settled "$1" "shot-$shot_n.ppm" "$sx" "$sy" "$sw" "$sh" >/dev/null; }

# Waits until the window differs from BEFORE (the input was taken; "" for the first picture)
# and then stays the same for two seconds: a picture still being computed changes within
# that time.
wait_for_picture() {
    local before=$1 deadline=$((SECONDS + step_timeout)) same=0 changed=0
    next_shot
    while :; do
        local prev="shot-$shot_n.ppm"
        next_shot
        if [ $changed -eq 0 ] && [ -n "$before" ] && "$compare" settled "$before" "shot-$shot_n.ppm" \
            "$sx" "$sy" "$sw" "$sh" >/dev/null; then
            :   # still the picture from before the input
        else
            changed=1
            if same_as "$prev"; then same=$((same + 1)); else same=0; fi
        fi
        rm -f "$prev"
        [ $same -ge 4 ] && return 0
        [ $SECONDS -ge $deadline ] && { echo "no new settled picture within ${step_timeout}s"; exit 1; }
    done
}

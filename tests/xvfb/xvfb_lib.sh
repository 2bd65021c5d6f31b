# tests/xvfb/xvfb_lib.sh - a private virtual X server for one test script (sourced).
# After start_xvfb, DISPLAY names the server; the EXIT trap ends it and the program under test.
# XVFB_SCREEN (WxH) sets the screen, 1920x1080 by default; the desktop's scale factors of the
# caller's session do not reach the program.
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

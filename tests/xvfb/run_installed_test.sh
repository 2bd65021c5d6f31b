#!/usr/bin/env bash
# The installed explorer as a user meets it: started from the system's bin folder, which the
# user cannot write, by a user with a fresh home on a virtual X server, it shows its first
# picture, F9 saves into ~/Pictures/Zentrix, and Esc ends it with exit code 0.
#
#   run_installed_test.sh ZENTRIX WORKDIR      (run as root: the user is nobody)
set -euo pipefail
zentrix=$1 work=$2
source "$(dirname "$0")/xvfb_lib.sh"
rm -rf "$work"
mkdir -p "$work/home"
chmod 755 "$work"   # the user must reach the home inside
chown 65534:65534 "$work/home"
cd "$work"
start_xvfb

HOME="$work/home" setpriv --reuid=65534 --regid=65534 --clear-groups -- "$zentrix" >zentrix.out 2>zentrix.err &
app_pid=$!
xdotool search --sync --name '^Zntx$' >/dev/null
xdotool mousemove $((screen_w / 2)) $((screen_h / 2))
saved=""
for _ in $(seq 60); do   # the first picture, then F9 until the save is there
    sleep 1
    kill -0 "$app_pid" 2>/dev/null || { echo "the explorer ended early:"; cat zentrix.err; exit 1; }
    xdotool key F9
    saved=$(ls "$work/home/Pictures/Zentrix/"*.png 2>/dev/null | head -n1) && [ -n "$saved" ] && break
done
[ -n "$saved" ] || { echo "no picture saved under ~/Pictures/Zentrix"; exit 1; }
[ -s "${saved%.png}.zxp" ] || { echo "the view of $saved is missing"; exit 1; }
echo "saved ${saved#$work/}"
# Esc within a quarter second of the last F9 is not taken, so it is sent until the program ends.
for _ in 1 2 3 4 5; do
    sleep 0.5
    xdotool key Escape
    for _ in $(seq 10); do
        kill -0 "$app_pid" 2>/dev/null && [ "$(ps -o stat= -p "$app_pid" | cut -c1)" != Z ] || break 2
        sleep 0.2
    done
done
wait_for_exit 30
echo "the installed explorer ended with exit code $app_code"
[ "$app_code" -eq 0 ]

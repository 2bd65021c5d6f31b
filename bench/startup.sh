#!/bin/sh
# bench/startup.sh - whole processes of small and large jobs, two builds taken in turn.
#
#   bench/startup.sh OLD_BUILD_DIR NEW_BUILD_DIR [RUNS]
#
# For each build: zentrix-render's time (hyperfine, RUNS runs after 3 warm-ups) and peak
# resident memory and page faults (/usr/bin/time) for the small and the large picture of the
# whole set, a deep view and a poster; then the explorer's first picture of a 1280 x 800
# window under Xvfb (bench/first_picture.py). Pictures go to /dev/shm, where writing the file
# costs no waiting for the disk. On a shared machine run it as root under `chrt -f 50`, so
# other programs' builds do not interleave with the measured process.
set -eu
old=$1 new=$2 runs=${3:-30}
here=$(cd "$(dirname "$0")" && pwd)
views=$here/../views
out=/dev/shm/zentrix-startup.png

jobs() {
    echo "--size 320x200 $views/whole-set.zxp $out"
    echo "--size 1920x1080 $views/whole-set.zxp $out"
    echo "--size 1920x1080 $here/views/seahorse35.zxp $out"
    echo "--size 3840x2160 $views/whole-set.zxp $out"
}

grep -m1 "model name" /proc/cpuinfo
jobs | while read -r job; do
    echo "== zentrix-render $job"
    for build in "$old" "$new"; do
        # shellcheck disable=SC2086
        /usr/bin/time -f "$build: peak %M KiB, %R minor faults, %e s" "$build/zentrix-render" $job >/dev/null
    done
    hyperfine -N -w 3 -r "$runs" "$old/zentrix-render $job" "$new/zentrix-render $job" 2>&1 |
        grep -E "Benchmark|Time|Range"
done

echo "== zentrix, first picture of a 1280 x 800 window under Xvfb"
display=:77
Xvfb $display -screen 0 1280x800x24 -nolisten tcp 2>/dev/null &
xvfb=$!
trap 'kill $xvfb' EXIT
sleep 1
for round in 1 2 3; do
    for build in "$old" "$new"; do
        printf '%s, round %s: ' "$build" "$round"
        DISPLAY=$display SDL_VIDEODRIVER=x11 "$here/first_picture.py" --runs 5 -- "$build/zentrix" | head -n 1
    done
done

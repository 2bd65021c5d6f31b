#!/bin/sh
# bench/deep_pictures.sh - whole deep pictures as the renderer makes them: the reference orbit,
# its table and every pixel, 1920 x 1080 on every processor.
#
#   bench/deep_pictures.sh BUILD_DIR [RUNS]
#
# For each view: wall time, processor time and peak resident memory of each run
# (/usr/bin/time), the picture written to /dev/shm.
set -eu
build=$1 runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
out=/dev/shm/zentrix-deep.png
grep -m1 "model name" /proc/cpuinfo
for view in deep-1000 deep-3000; do
    echo "== $view"
    for _ in $(seq "$runs"); do
        /usr/bin/time -f "%e s wall, %U s user, peak %M KiB" "$build/zentrix-render" --size 1920x1080 \
            "$here/views/$view.zxp" "$out" >/dev/null
    done
done
rm -f "$out"

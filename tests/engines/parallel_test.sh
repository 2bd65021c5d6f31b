#!/usr/bin/env bash
# A picture made in parts by GNU Parallel, on this machine and through --sshlogin (with an ssh
# that runs the command here), joined and compared with the single render. One part is killed
# midway: --missing names exactly it, the join refuses, and --resume-failed completes it.
# Usage: parallel_test.sh RENDERER VIEW.zxp
set -euo pipefail
render=$1 view=$2
command -v parallel >/dev/null || { echo "GNU Parallel is missing (Debian package parallel)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
opts="--threads 1 --size 320x224 --scale 2"
pixels() { identify -format '%#' "$1"; }
fail() { echo "FAIL: $*"; exit 1; }

"$render" $opts "$view" "$work/single.png" >/dev/null

# This machine, 7 parts on 2 job slots.
parallel --will-cite -j2 "$render" $opts --part {}/7 "$view" "$work/here.png" ::: $(seq 0 6) >/dev/null
"$render" $opts --join 7 "$view" "$work/here.png" >/dev/null
[ "$(pixels "$work/here.png")" = "$(pixels "$work/single.png")" ] || fail "joined pixels differ (here)"

# Two "hosts" through ssh; the index comes from PARALLEL_SEQ (-N0: the input only counts jobs).
printf '#!/bin/sh\nshift; [ "$1" = "--" ] && shift\nexec sh -c "$*"\n' >"$work/ssh"
chmod +x "$work/ssh"
run() {
    parallel --will-cite --ssh "$work/ssh" --sshlogin 1/hostA,1/hostB --joblog "$work/joblog" -N0 "$@" \
        "$render" $opts --part env/7 "$view" "$work/far.png" ::: $(seq 7) >/dev/null
}
# Part 3 is frozen once it has begun its file (the file's temporary name carries the process
# id) and, the file still unfinished, killed. A part that finished in between (a busy machine)
# is let go, and the whole run is made again.
kill_part_3() {
    for _ in $(seq 3000); do
        for temp in "$work"/far.png.parts/part-00003-of-00007.*.tmp; do
            [ -e "$temp" ] || continue
            pid=${temp##*part-00003-of-00007.}
            pid=${pid%%-*}
            kill -STOP "$pid" 2>/dev/null || continue
            [ -e "$temp" ] && kill -KILL "$pid" && exit 0
            kill -CONT "$pid" 2>/dev/null
        done
        sleep 0.01
    done
    exit 1
}
for attempt in 1 2 3; do
    rm -rf "$work/far.png.parts" "$work/joblog"
    kill_part_3 &
    killer=$!
    run || true
    wait $killer && break
    [ $attempt -lt 3 ] || fail "part 3 was not caught running"
done
missing=$("$render" $opts --missing 7 "$view" "$work/far.png") && fail "nothing reported missing"
[ "$missing" = 3 ] || fail "--missing says '$missing', not 3"
"$render" $opts --join 7 "$view" "$work/far.png" 2>"$work/err" && fail "the join took an incomplete picture"
grep -q "part 3 is missing" "$work/err" || fail "the join did not name part 3: $(cat "$work/err")"
[ ! -e "$work/far.png" ] || fail "a refused join left a file"
run --resume-failed
"$render" $opts --missing 7 "$view" "$work/far.png" >/dev/null || fail "still missing after the rerun"
"$render" $opts --join 7 "$view" "$work/far.png" >/dev/null
[ "$(pixels "$work/far.png")" = "$(pixels "$work/single.png")" ] || fail "joined pixels differ (ssh)"
echo "GNU Parallel: 7 parts here and over ssh, a killed part resumed, pixels equal"

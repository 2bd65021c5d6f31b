#!/usr/bin/env bash
# A picture made in parts by GNU Parallel, on this machine and through --sshlogin (with an ssh
# that runs the command here), joined and compared with the single render. One part is killed
# midway by the system: --missing names exactly it, the join refuses, and --resume-failed completes it.
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
# Like sshd, the stand-in gives the command the user's login shell in SHELL: GNU Parallel's
# remote worker runs the job with $SHELL and, without it, runs nothing and still reports success.
login_shell=$(getent passwd "$(id -un)" | cut -d: -f7)
printf '#!/bin/sh\nshift; [ "$1" = "--" ] && shift\nSHELL=%s exec sh -c "$*"\n' "${login_shell:-/bin/sh}" >"$work/ssh"
chmod +x "$work/ssh"
# While $work/lose exists, part 3 (job 4) is killed by the system in the middle of its file: a
# file size limit of 8 KiB, well under the part's size, ends it with SIGXFSZ.
part="$render $opts --part env/7 $view $work/far.png"
job="if [ -e $work/lose ] && [ \$PARALLEL_SEQ = 4 ]; then ulimit -f 8; fi; exec $part"
run() {
    parallel --will-cite --ssh "$work/ssh" --sshlogin 1/hostA,1/hostB --joblog "$work/joblog" -N0 "$@" \
        "$job" ::: $(seq 7) >/dev/null 2>&1
}
touch "$work/lose"
run && fail "no part was lost"
rm "$work/lose"
ls "$work"/far.png.parts/part-00003-of-00007.*.tmp >/dev/null 2>&1 || fail "part 3 left no unfinished file"
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

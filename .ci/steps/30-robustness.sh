#!/usr/bin/env bash
# Robustness: each fuzz target of tests/fuzz for a fixed number of runs under
# AddressSanitizer+UndefinedBehaviorSanitizer (clang and libFuzzer), and the soak driver for
# 100,000 random events under both sanitizers (an optimised build, or it would take four
# times as long). The two go side by side, one core each. A crash, a leak, a hang, a
# sanitizer report or a broken invariant fails the step.
set -euo pipefail
cd "$(dirname "$0")/../.."

# The compiler and its sanitizer runtime come as one version: the runtime must match the compiler.
scripts/deps.sh clang-14 libclang-rt-14-dev

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1
soak_events=100000 soak_seed=20260102
declare -A fuzz_runs=([params]=1000000 [command_line]=500000 [text]=300000)
root=$(pwd)

soak() {
  local t
  t=$(date +%s)
  cmake -S . -B build-soak -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTRIX_SANITIZE=address,undefined \
    -DZENTRIX_BENCH=OFF >/dev/null
  cmake --build build-soak -j1 --target soak_test >build-soak/build.log 2>&1 || { tail -n 40 build-soak/build.log; return 1; }
  echo "== soak build: $(( $(date +%s) - t )) s"
  t=$(date +%s)
  if ! ZENTRIX_SOAK_EVENTS=$soak_events ZENTRIX_SOAK_SEED=$soak_seed build-soak/tests/soak_test >build-soak/soak.log 2>&1; then
    tail -n 60 build-soak/soak.log
    echo "the soak failed; replay it with the seed and event it names"
    return 1
  fi
  grep '^soak:' build-soak/soak.log
  echo "== soak: $(( $(date +%s) - t )) s"
}
soak &
soak_pid=$!

t=$(date +%s)
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTRIX_FUZZ=ON \
  -DZENTRIX_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-fno-sanitize-recover=all \
  -DZENTRIX_TESTS=OFF -DZENTRIX_BENCH=OFF >/dev/null
cmake --build build-fuzz -j1 --target fuzz_params fuzz_command_line fuzz_text >build-fuzz/build.log 2>&1 ||
  { tail -n 40 build-fuzz/build.log; kill "$soak_pid" 2>/dev/null || true; exit 1; }
echo "== fuzz build: $(( $(date +%s) - t )) s"

for target in params command_line text; do
  t=$(date +%s)
  # New inputs go to a working copy; the seed corpus in tests/ stays as committed.
  work="$root/build-fuzz/corpus/$target"
  rm -rf "$work" && mkdir -p "$work" && cp "$root/tests/fuzz/corpus/$target/"* "$work/"
  if ! build-fuzz/tests/fuzz/fuzz_$target -runs=${fuzz_runs[$target]} -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$root/build-fuzz/" "$work" >"build-fuzz/$target.log" 2>&1; then
    tail -n 60 "build-fuzz/$target.log"
    echo "fuzz_$target failed; the input is in build-fuzz/ (crash-*, leak-*, timeout-*)"
    kill "$soak_pid" 2>/dev/null || true
    exit 1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "build-fuzz/$target.log" | grep -o '[0-9]*$')
  echo "== fuzz_$target: $runs runs, $(( $(date +%s) - t )) s"
done

wait "$soak_pid"

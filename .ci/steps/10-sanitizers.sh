#!/usr/bin/env bash
# The suite under AddressSanitizer+UndefinedBehaviorSanitizer, and the threading tests under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/../.."

echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZENTRIX_SANITIZE=address,undefined -DZENTRIX_BENCH=OFF
cmake --build build-asan -j2
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
  ctest --test-dir build-asan -j2 --output-on-failure -LE xvfb

echo "== ThreadSanitizer (threading tests) =="
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DZENTRIX_SANITIZE=thread -DZENTRIX_BENCH=OFF
cmake --build build-tsan -j2
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -j2 --output-on-failure -L threads

#!/usr/bin/env bash
# Builds Zentrix with its tests and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2
ctest --test-dir build -j2 --output-on-failure "$@"

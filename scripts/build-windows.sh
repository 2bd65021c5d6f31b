#!/usr/bin/env bash
# Installs the Windows cross toolchain when it is missing and builds the self-contained
# build-win/zentrix.exe and build-win/zentrix-render.exe. Further arguments go to cmake's
# configure step (the CI step adds the tests with them).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh" g++ cmake make g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
cmake -S "$here" -B "$here/build-win" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DZENTRIX_TESTS=OFF -DZENTRIX_BENCH=OFF "$@"
cmake --build "$here/build-win" -j2
echo "Windows programs: $here/build-win/zentrix.exe and $here/build-win/zentrix-render.exe"

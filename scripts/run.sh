#!/usr/bin/env bash
# Builds the explorer (release) and starts it; arguments are passed on.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j2 --target zentrix
exec "$here/build/zentrix" "$@"

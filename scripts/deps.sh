#!/usr/bin/env bash
# Installs the Debian packages Zentrix builds and tests with, when any is missing; given
# package names, installs those instead.
set -euo pipefail
wanted=("$@")
[ ${#wanted[@]} -gt 0 ] || wanted=(g++ cmake make pkg-config libgtest-dev libgmock-dev libbenchmark-dev libstb-dev libmpfr-dev
                                   zlib1g-dev libsdl2-dev xvfb xdotool x11-apps imagemagick ffmpeg parallel python3-yaml)
need=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi

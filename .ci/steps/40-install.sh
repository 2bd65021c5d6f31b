#!/usr/bin/env bash
# Installing Zentrix: the files an install puts in place, the menu entry, the manual pages,
# the Debian package installed and used as a user would, and the README's pictures made again.
# Uses the release build that scripts/test.sh left in build/.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/deps.sh desktop-file-utils groff-base man-db dpkg-dev util-linux
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"   # the package is installed below
work=$(mktemp -d)
chmod 755 "$work"   # the installed explorer runs as another user below
installed_package=""
# Whatever fails, the package this step installed goes again and the scratch folder with it.
cleanup() {
  [ -z "$installed_package" ] || DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq "$installed_package" >/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== install into a temporary DESTDIR"
DESTDIR="$work/dest" cmake --install build >/dev/null
prefix="$work/dest/usr/local"
for f in bin/zentrix bin/zentrix-render share/doc/zentrix/copyright share/applications/zentrix.desktop share/icons/hicolor/scalable/apps/zentrix.svg \
         share/man/man1/zentrix.1.gz share/man/man1/zentrix-render.1.gz \
         $(for s in 16 24 32 48 64 96 128 256; do echo share/icons/hicolor/${s}x$s/apps/zentrix.png; done) \
         $(cd views && for v in *.zxp; do echo share/zentrix/views/$v; done); do
  [ -s "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
[ "$(identify -format %wx%h "$prefix/share/icons/hicolor/256x256/apps/zentrix.png")" = 256x256 ]
"$prefix/bin/zentrix-render" --size 64x36 "$prefix/share/zentrix/views/whole-set.zxp" "$work/installed.png"
desktop-file-validate "$prefix/share/applications/zentrix.desktop"
for page in zentrix zentrix-render; do
  warnings=$(zcat "$prefix/share/man/man1/$page.1.gz" | groff -ww -man -Tutf8 -z 2>&1)
  [ -z "$warnings" ] || { echo "groff warns about $page(1):"; echo "$warnings"; exit 1; }
  man -l "$prefix/share/man/man1/$page.1.gz" >/dev/null
done
echo "installed files, desktop entry and manual pages are fine"

echo "== Debian package"
rm -f build/zentrix_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/zentrix_*.deb)
dpkg-deb -I "$deb" | grep -E '^ (Package|Version|Architecture|Depends):'
dpkg-deb -c "$deb"
for lib in libsdl2 zlib1g; do dpkg-deb -f "$deb" Depends | grep -q "$lib" || { echo "no $lib in Depends"; exit 1; }; done
installed_package=zentrix
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "./$deb" >/dev/null
/usr/bin/zentrix-render --size 64x36 /usr/share/zentrix/views/mini-set-zoom-110.zxp "$work/deb.png"
$SUDO bash tests/xvfb/run_installed_test.sh /usr/bin/zentrix "$work/installed-run"

echo "== README pictures"
scripts/readme-pictures.sh build "$work/pictures" | wc -l | xargs echo "pictures made:"

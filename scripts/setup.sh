#!/bin/sh
# Installs what Velorn's build and tests need from Debian's archive, where
# missing. Never wine32: with it, Debian's wine wrapper picks the 32-bit
# loader, which this kind of machine cannot run.
set -eu
PACKAGES="cmake make clang libclang-rt-14-dev googletest cppcheck clang-format
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine64 fonts-wine xvfb xauth imagemagick python3 python3-pefile zip"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $p"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing:$missing"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

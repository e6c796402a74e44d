#!/bin/sh
# Builds every preset and runs every test: the calculation natively with
# sanitizers, static checks, the 32-bit exe's PE facts, and the 64-bit exe
# driven under wine64 inside one Xvfb.
set -u
cd "$(dirname "$0")/.."
scripts/build.sh host win32 win64 || exit 1

status=0
ctest --preset host || status=1
ctest --preset win32 || status=1
xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
    'ctest --preset win64; rc=$?; /usr/lib/wine/wineserver -w; exit $rc' || status=1
exit $status

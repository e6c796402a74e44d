#!/bin/sh
# Builds both exes and starts Velorn under wine64. Without a display, runs
# it headless: types a speed, presses Enter, saves a picture and quits.
# Usage: scripts/run.sh [speed]
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh win32 win64
echo "Windows executables: build/win32/Velorn.exe (32-bit), build/win64/Velorn.exe (64-bit)"

if [ -n "${DISPLAY:-}" ]; then
    echo "run: starting Velorn on $DISPLAY, framed by your window manager like any window"
    status=0
    cmake/wine-run.sh --desktop build/win64/Velorn.exe || status=$?
    echo "Velorn ended with exit status $status"
else
    echo "run: no display: typing a speed into Velorn inside Xvfb"
    cmake/wine-run.sh build/win64/velorn_demo.exe "${1:-100}" "Z:$PWD/build/win64/velorn.png" |
        tr -d '\r'
    echo "Screenshot: build/win64/velorn.png"
fi

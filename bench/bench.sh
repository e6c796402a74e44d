#!/bin/sh
# Prints Velorn's figures: exe sizes, then start-up time against a bare
# dialog and private memory, medians of N launches, and what the dialog costs
# while it waits, under wine64 on a screen of its own whatever the display.
# Usage: bench/bench.sh [launches]   (default 15)
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh win32 win64
for exe in build/win32/Velorn.exe build/win64/Velorn.exe; do
    stat -c %s "$exe" | awk -v exe="$exe" '{ printf "%s %6d bytes (%.1f KiB)\n", exe, $1, $1 / 1024 }'
done
exe32=
scripts/runs-i386.sh && exe32=Z:$PWD/build/win32/Velorn.exe ||
    echo "bench: this machine cannot execute 32-bit x86 code: the 32-bit exe is not run"
DISPLAY= cmake/wine-run.sh build/win64/velorn_bench.exe "${1:-15}" $exe32 | tr -d '\r'

#!/bin/sh
# Prints Velorn's figures: exe sizes, then start-up time against a bare
# dialog and private memory, medians of N launches under wine64.
# Usage: bench/bench.sh [launches]   (default 15)
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh win32 win64
for exe in build/win32/Velorn.exe build/win64/Velorn.exe; do
    stat -c %s "$exe" | awk -v exe="$exe" '{ printf "%s %6d bytes (%.1f KiB)\n", exe, $1, $1 / 1024 }'
done
cmake/wine-run.sh build/win64/velorn_bench.exe "${1:-15}" | tr -d '\r'

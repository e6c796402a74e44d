#!/bin/sh
# Prints Velorn's figures: exe sizes, then start-up time against a bare
# dialog and private memory, medians of N launches under wine64.
# Usage: bench/bench.sh [launches]   (default 15)
set -eu
cd "$(dirname "$0")/.."
dirs=$(scripts/build.sh win32 win64)
echo "$dirs" | while read -r dir; do
    stat -c %s "$dir/Velorn.exe" | awk -v exe="$dir/Velorn.exe" '{ printf "%s %6d bytes (%.1f KiB)\n", exe, $1, $1 / 1024 }'
done
cmake/wine-run.sh "$(echo "$dirs" | sed -n 2p)/velorn_bench.exe" "${1:-15}" | tr -d '\r'

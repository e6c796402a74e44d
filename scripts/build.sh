#!/bin/sh
# Installs what is missing, then configures and builds the given presets,
# with progress lines on stderr; a failed build shows its whole log. Prints
# each preset's build folder, as CMake reports it, one a line.
# Usage: scripts/build.sh PRESET...
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
for preset in "$@"; do
    case $preset in
    win32) what="the shipping 32-bit exe" ;;
    win64) what="the 64-bit exe, the tests and GoogleTest, the benchmark" ;;
    *) what=$preset ;;
    esac
    echo "build: $preset: $what ..." >&2
    start=$(date +%s)
    log=build/$preset.log
    { cmake --preset "$preset" && cmake --build --preset "$preset" -j"$(nproc)"; } >"$log" 2>&1 ||
        { cat "$log" >&2; echo "build: $preset failed (log: $log)" >&2; exit 1; }
    echo "build: $preset done in $(($(date +%s) - start)) s" >&2
    sed -n 's/^-- Build files have been written to: //p' "$log"
done

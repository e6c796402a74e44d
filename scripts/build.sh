#!/bin/sh
# Installs what is missing, then configures and builds the given presets,
# each in build/<preset> (the presets' binaryDir), with a progress line for
# each; a failed build shows its whole log.
# Usage: scripts/build.sh PRESET...
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in "$@"; do
    case $preset in
    win32) what="the shipping 32-bit exe" ;;
    win64) what="the 64-bit exe, the tests and GoogleTest, the benchmark" ;;
    *) what=$preset ;;
    esac
    echo "build: $preset: $what ..."
    start=$(date +%s)
    log=build/$preset.log
    { cmake --preset "$preset" && cmake --build --preset "$preset" -j"$(nproc)"; } >"$log" 2>&1 ||
        { cat "$log"; echo "build: $preset failed (log: $log)"; exit 1; }
    echo "build: $preset done in $(($(date +%s) - start)) s"
done

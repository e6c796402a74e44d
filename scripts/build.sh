#!/bin/sh
# Installs what is missing, then configures and builds the given presets.
# Usage: scripts/build.sh PRESET...
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in "$@"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)" >/dev/null ||
        { echo "build of $preset failed:"; cmake --build --preset "$preset" 2>&1 | tail -30; exit 1; }
done

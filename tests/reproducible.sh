#!/bin/sh
# Builds Velorn.exe twice more from this tree, in two other directories a
# second apart, and checks that both are byte for byte the exe given.
# Usage: reproducible.sh TOOLCHAIN_FILE EXE
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for build in "$work/first" "$work/second/deeper"; do
    cmake -S "$source_dir" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$1" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build" --target Velorn >/dev/null
    sleep 1
done
status=0
for build in "$work/first" "$work/second/deeper"; do
    if cmp "$2" "$build/Velorn.exe"; then
        echo "same bytes: $build/Velorn.exe"
    else
        status=1
    fi
done
sha256sum "$2"
exit $status

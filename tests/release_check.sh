#!/bin/sh
# What ships: both exes built again elsewhere come out byte for byte the
# same, and the release zip unpacks to them with checksums that verify.
# Usage: release_check.sh VERSION EXE32 EXE64
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for arch in i686 x86_64; do
    cmake -S "$src" -B "$work/$arch" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$work/$arch" --target Velorn >/dev/null
done
cmake -DVERSION="$1" -DEXE32="$2" -DEXE64="$3" -DOUT="$work" -P "$src/cmake/package.cmake"
cd "$work" && unzip -q "Velorn-$1.zip" -d unpacked && cd "unpacked/Velorn-$1"
sha256sum -c SHA256SUMS
cmp 32bit/Velorn.exe "$work/i686/Velorn.exe"
cmp 64bit/Velorn.exe "$work/x86_64/Velorn.exe"

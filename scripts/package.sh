#!/bin/sh
# Builds both exes and makes the release package build/Velorn-1.0.0.zip.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh win32 win64
cmake -DVERSION=1.0.0 -DEXE32=build/win32/Velorn.exe -DEXE64=build/win64/Velorn.exe \
    -DOUT="$PWD/build" -P cmake/package.cmake
cat build/Velorn-1.0.0/SHA256SUMS

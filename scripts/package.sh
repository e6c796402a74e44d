#!/bin/sh
# Builds both exes and makes the release package build/Velorn-<version>.zip.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh win32 win64
cmake --build --preset win64 --target release
cat build/Velorn-*/SHA256SUMS

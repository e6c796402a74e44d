#!/bin/sh
# Builds both exes and makes the release package Velorn-<version>.zip
# beside the builds.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh win32 win64
cmake --build --preset win64 --target release

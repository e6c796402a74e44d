#!/bin/sh
# Makes the release package from the given exes in a scratch directory,
# unpacks it and checks what a user downloads: both exes unchanged, the
# read-me in both languages, and checksums that verify.
# Usage: package_check.sh EXE32 EXE64
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
exe32=$(realpath "$1")
exe64=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DVERSION=1.0.0 -DEXE32="$exe32" -DEXE64="$exe64" -DOUT="$work" -P "$source_dir/cmake/package.cmake"
mkdir "$work/unpacked" && cd "$work/unpacked" && unzip -q "$work/Velorn-1.0.0.zip"
cd Velorn-1.0.0
[ "$(ls -R | tr '\n' ' ')" = ".: 32bit 64bit README.txt SHA256SUMS  ./32bit: Velorn.exe  ./64bit: Velorn.exe " ]
cmp 32bit/Velorn.exe "$exe32"
cmp 64bit/Velorn.exe "$exe64"
sha256sum -c SHA256SUMS
grep -q "Česky" README.txt
grep -q "English" README.txt
[ "$(grep -c "$(printf '\r')\$" README.txt)" -eq "$(wc -l < README.txt)" ] # CRLF throughout
echo "package ok"

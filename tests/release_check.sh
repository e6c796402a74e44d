#!/bin/sh
# What ships: both exes, built again from a copy of the sources elsewhere,
# are the same bytes; so is the zip under any umask, and it unpacks to them.
# Usage: release_check.sh VERSION EXE32 EXE64
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
tar -C "$src" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/src" -xf -
cd "$work/src"
for preset in win32 win64; do
    cmake --preset $preset --no-warn-unused-cli -DBUILD_TESTING=OFF >/dev/null
    cmake --build --preset $preset --target Velorn >/dev/null
done
cmp build/win32/Velorn.exe "$2"
cmp build/win64/Velorn.exe "$3"
for mask in 022 002; do
    (umask $mask && cmake --build --preset win64 --target release >/dev/null)
    mv "build/Velorn-$1.zip" "$work/$mask.zip"
done
cmp "$work/022.zip" "$work/002.zip"
cd "$work" && unzip -q 022.zip && cd "Velorn-$1"
sha256sum -c SHA256SUMS
# The read-me opens right in any Notepad: CRLF line ends, the version filled in.
cr=$(printf '\r')
grep -qx "Velorn $1$cr" README.txt
[ "$(grep -cv "$cr\$" README.txt)" -eq 0 ]

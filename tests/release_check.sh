#!/bin/sh
# What ships: the release target alone, on a copy of the sources elsewhere,
# makes a zip of both exes as the same bytes as here (pe_check.py reads which
# is which), the same zip under any umask; SHA256SUMS sums every other file.
# Usage: release_check.sh VERSION EXE32 EXE64
set -u
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "release: $*"; exit 1; }
mkdir "$work/src" && tar -C "$src" --exclude=./build --exclude=./.git -cf - . |
    tar -C "$work/src" -xf - && cd "$work/src" || fail "cannot copy the sources"
for preset in win32 win64; do
    cmake --preset $preset --no-warn-unused-cli -DBUILD_TESTING=OFF >/dev/null || fail "no $preset"
done
for mask in 022 002; do
    (umask $mask && cmake --build --preset win64 --target release >"$work/log" 2>&1) ||
        { cat "$work/log"; fail "the release target made no zip"; }
    mv "build/Velorn-$1.zip" "$work/$mask.zip"
done
cmp -s "$work/022.zip" "$work/002.zip" || fail "the zip differs with the umask"
cd "$work" && unzip -q 022.zip && cd "Velorn-$1" || fail "the zip does not unpack"
cmp -s 32bit/Velorn.exe "$2" || fail "32bit/Velorn.exe differs from the exe these sources build, $2"
cmp -s 64bit/Velorn.exe "$3" || fail "64bit/Velorn.exe differs from the exe these sources build, $3"
[ "$(find . -type f ! -name SHA256SUMS | cut -c3- | sort)" = "$(cut -c67- SHA256SUMS | sort)" ] &&
    sha256sum --quiet -c SHA256SUMS || fail "SHA256SUMS does not match every file of the zip"
# The read-me opens right in any Notepad: CRLF line ends, the version filled in.
cr=$(printf '\r')
grep -qx "Velorn $1$cr" README.txt && [ "$(grep -cv "$cr\$" README.txt)" -eq 0 ] ||
    fail "README.txt lacks its version or CRLF line ends"

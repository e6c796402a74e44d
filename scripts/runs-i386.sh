#!/bin/sh
# Exits 0 where this machine can execute 32-bit x86 code, which decides
# whether Wine's 32-bit half is installed (setup.sh) and whether the tests
# drive the 32-bit exe. The kernel version does not tell; a 96-byte i386
# program that exits with status 42 does.
build="$(dirname "$0")/../build"
mkdir -p "$build"
probe=$(mktemp -p "$build" i386-probe.XXXXXX)
trap 'rm -f "$probe"' EXIT
echo 'f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhgAAAAYAAAAAUAAAAAEAAAuAEAAAC7KgAAAM2A' |
    base64 -d >"$probe"
chmod +x "$probe"
status=0
"$probe" 2>/dev/null || status=$?
[ "$status" -eq 42 ]

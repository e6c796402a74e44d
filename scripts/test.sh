#!/bin/sh
# Builds both exes and the tests, then runs every test, one line each: what
# Windows reads from both exes and DialogProc in process, the real exes
# driven under Wine (the 32-bit one where this machine can execute it), the
# PE facts of both, reproducible builds with the release package, and lint.
set -u
cd "$(dirname "$0")/.."
scripts/build.sh win32 win64 || exit 1
echo "test: running the tests, those under Wine each on a screen of its own"
# The entries that share the Wine prefix take turns; the others run beside them.
ctest --preset win64 -j "$(nproc)"
status=$?
# A skipped test has said why; ctest itself shows only that it did not run.
grep -h "^[a-z0-9_]* skipped: " build/win64/Testing/Temporary/LastTest.log |
    sed 's/^/test: /'
exit $status

#!/bin/sh
# Fuzzes the speed-text calculation for as long as you like (default ten
# minutes), with AddressSanitizer and UndefinedBehaviorSanitizer. New inputs
# collect in build/fuzz-corpus; a crashing input is saved as crash-* in
# build/: add it to the table in tests/calc_test.cpp.
# Usage: scripts/fuzz.sh [seconds]
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh host
mkdir -p build/fuzz-corpus
cd build
host/tests/fuzz_energy -max_total_time="${1:-600}" -max_len=65534 -print_final_stats=1 \
    fuzz-corpus ../tests/fuzz_corpus

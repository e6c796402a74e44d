#!/bin/sh
# Runs the test exe under wine64 at 144 DPI, as ctest does, or by hand, and
# checks what no window shows. Wine's heap checks, on for it and every Velorn,
# report on their shared stderr: a report fails the run, naming the test. No
# file on the prefix's drive, beside Velorn or in the working folder, and no
# registry value may differ once Wine has saved its registry, but for the
# DriverDateData that Wine's display driver stamps as it starts, and the
# fonts that Wine registers anew as a program of another code page starts
# (Velorn keeps its own: its manifest asks for 1250). Wine exits
# with 0 from a crash: a run counts only once finished. Output: VELORN_OUTPUT;
# the system locale, whose code page Velorn gets unless its manifest says
# otherwise: VELORN_SYSTEM_LOCALE (default cs_CZ.UTF-8, code page 1250).
# Usage: tests/wine-test.sh build/win64/velorn_test.exe [--gtest_filter=...]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
out=${VELORN_OUTPUT:-$root/build/win64/output/by-hand}
locale=${VELORN_SYSTEM_LOCALE:-cs_CZ.UTF-8}
export VELORN_OUTPUT="$out" WINEPREFIX="$root/build/wineprefix-144"
mkdir -p "$out" && "$root/cmake/wine-run.sh" --dpi 144 --locale "$locale" || exit 1
velorn=$(dirname "${VELORN_EXE:-$1}" | sed 's/^Z://')

machine() {
    /usr/lib/wine/wineserver -k 2>/dev/null; /usr/lib/wine/wineserver -w # as wine-run.sh's stop
    find "$WINEPREFIX/drive_c" -printf '%p %s %T@\n'
    find "$velorn" "$PWD" -maxdepth 1 -printf '%p %s %T@\n'
    cd "$WINEPREFIX" && awk '/^\[/ { key = FILENAME " " $0; sub(/ [0-9]+$/, "", key); print key
        fonts = /\\Font(s|Substitutes)\]/ }
        key && !fonts && NF && !/^(\[|#time=|"DriverDateData")/ { print key, $0 }' *.reg
}

(machine) | sort >"$out/machine-before"
WINEDEBUG=-all,warn+heap,err+heap "$root/cmake/wine-run.sh" --dpi 144 --locale "$locale" "$@" \
    >"$out/wine.log" 2>&1
status=$?
cat "$out/wine.log"
awk '/^\[ RUN / { test = $4 } /:heap:/ { print "HEAP, while " test " ran: " $0; bad = 1 }
    /^\[==========\] .* ran\./ { done = 1 }
    END { if (!done) print "UNFINISHED: the test exe crashed or was stopped"; exit bad || !done }' \
    "$out/wine.log" || status=1
(machine) | sort >"$out/machine-after"
diff "$out/machine-before" "$out/machine-after" >"$out/machine-changes" ||
    { echo "CHANGED on the machine (< before, > after):"; cat "$out/machine-changes"; status=1; }
exit $status

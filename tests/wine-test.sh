#!/bin/sh
# Runs a ctest entry of the test exe under wine64, alike from ctest and by hand:
# on a screen of its own, whatever the display; its output only, in output/ENTRY.
# Fails on what no window shows: Wine's heap reports, a Velorn that the driver
# saw left running, a planted DLL loaded, a run unfinished (Wine exits with 0
# from a crash) or of no test, a change to files or registry but Wine's own.
# Each bound that stops a run says so: Wine's own steps are wine-run.sh's.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
case ${1:-} in
in_process) build=win64 arch=x86_64 filter=-Velorn* locale=cs_CZ.UTF-8 ;; # DialogProc; exes as read
exe_x86_64) build=win64 arch=x86_64 filter=Velorn* locale=en_US.UTF-8 ;;  # code page 1252
exe_i686) build=win32 arch=i686 filter=Velorn* locale=cs_CZ.UTF-8 # the shipping exe, code page 1250
    "$root/scripts/runs-i386.sh" || { echo "$1 skipped: this machine cannot execute 32-bit x86 code"; exit 77; } ;;
*) echo "usage: tests/wine-test.sh in_process|exe_x86_64|exe_i686 [--gtest_filter=...]"; exit 2 ;;
esac
[ -n "${VELORN_SCREEN:-}" ] || VELORN_SCREEN=own exec "$root/cmake/xvfb.sh" "$0" "$@"
out=$root/build/win64/output/$1 exe=$root/build/$build/Velorn.exe && shift
bound=120 # seconds for the run of the test exe
wine() { "$root/cmake/wine-run.sh" --dpi 144 --locale "$locale" "$@"; }
# From Downloads, where a web page saved DLLs of names Velorn loads but for
# KnownDLLs, their imports and Wine's own (Wine 8): Windows looks there first,
# Wine for names given as n,b. Loaded, planted.c leaves "<its path>.loaded".
planted="comctl32.dll uxtheme.dll winex11.drv"
export VELORN_OUTPUT="$out" VELORN_EXE="Z:$exe" \
    WINEDLLOVERRIDES="$(echo $planted | sed 's/\.dll//g; s/ /,/g')=n,b"
machine() {
    find "$prefix/drive_c" -printf '%p %s %T@\n'
    # A file beside a Velorn, or "<planted DLL>.loaded": on Windows any such DLL would run.
    find "$(dirname "$exe")" "$out/Downloads" "$PWD" -maxdepth 1 -printf '%p %s %T@\n'
    # Wine's own: its settings, the fonts it registers, its time and date stamps.
    cd "$prefix" && awk '/^\[/ { key = FILENAME " " $0; sub(/ [0-9]+$/, "", key)
        own = /^\[Software\\\\Wine\\\\|Font(s|Substitutes)\]/; if (!own) print key }
        key && !own && NF && !/^(\[|#time=|"DriverDate)/ { print key, $0 }' *.reg
}

rm -rf "$out" && mkdir -p "$out/Downloads" && cp "$exe" "$out/Downloads/" || exit 1
$arch-w64-mingw32-gcc-posix -shared -s -Wall -Werror -o "$out/planted.dll" "$root/tests/planted.c" || exit 1
for dll in $planted; do cp "$out/planted.dll" "$out/Downloads/$dll" || exit 1; done
# The prefix ready, its Wine stopped and registry saved; then what is there.
prefix=$(wine) && (machine) | sort >"$out/machine-before" || exit 1
WINEDEBUG=-all,warn+heap,err+heap wine --bound $bound "$root/build/win64/velorn_test.exe" \
    --gtest_filter="$filter" "$@" >"$out/wine.log" 2>&1
status=$?
cat "$out/wine.log"
awk -v bound=$bound -v status=$status '{ sub(/\r$/, "") } /^\[ RUN / { test = $4 }
    /:heap:/ { print "HEAP, while " test " ran: " $0; bad = 1 }
    /^LEFT RUNNING/ { print $0 ", in " test; bad = 1 }
    /^\[==========\] .* ran\./ { done = 1; ran = $2 }
    END { if (!done) print status == 124 ? "STOPPED, while " test " ran: the run of the tests " \
              "went past its bound of " bound " s (tests/wine-test.sh)" : "UNFINISHED: the test exe crashed"
          else if (!ran) print "NO TEST RAN: the filter matched no test"
          exit bad || !done || !ran }' "$out/wine.log" || status=1
wine >/dev/null || status=1
(machine) | sort >"$out/machine-after"
diff "$out/machine-before" "$out/machine-after" >"$out/machine-changes" ||
    { echo "CHANGED on the machine (< before, > after):"; cat "$out/machine-changes"; status=1; }
exit $status

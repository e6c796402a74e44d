#!/bin/sh
# Runs the test exe under wine64 at 144 DPI and fails on what no window shows:
# Wine's heap reports, a Velorn left running, a planted DLL loaded, a run
# unfinished (Wine exits with 0 from a crash) or of no test, a change to files
# or registry but for Wine's own. VELORN_SYSTEM_LOCALE: the code page's locale.
# Usage: tests/wine-test.sh build/win64/velorn_test.exe [--gtest_filter=...]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
out=${VELORN_OUTPUT:-$root/build/win64/output/by-hand}
locale=${VELORN_SYSTEM_LOCALE:-cs_CZ.UTF-8}
exe=$(echo "${VELORN_EXE:-$(dirname "$1")/Velorn.exe}" | sed 's/^Z://')
# From Downloads, where a web page saved DLLs of names Velorn loads but for
# KnownDLLs, their imports and Wine's own (Wine 8): Windows looks there first,
# Wine for names given as n,b. Loaded, planted.c leaves "<its path>.loaded".
planted="comctl32.dll uxtheme.dll winex11.drv"
export VELORN_OUTPUT="$out" VELORN_DOWNLOADS="$out/Downloads" WINEPREFIX="$root/build/wineprefix-144" \
    WINEDLLOVERRIDES="$(echo $planted | sed 's/\.dll//g; s/ /,/g')=n,b"
# Of the exe's architecture: the PE header's machine field (at 0x3C, plus 4).
pe=$(od -An -tu4 -j60 -N4 "$exe") && arch=x86_64
[ "$(od -An -tx2 -j$((pe + 4)) -N2 "$exe")" = " 014c" ] && arch=i686
# The prefix ready, its Wine stopped and registry saved; then what is there.
ready() { "$root/cmake/wine-run.sh" --dpi 144 --locale "$locale"; }
machine() {
    find "$WINEPREFIX/drive_c" -printf '%p %s %T@\n'
    find "$(dirname "$exe")" "$PWD" -maxdepth 1 -printf '%p %s %T@\n'
    cd "$WINEPREFIX" && awk '/^\[/ { key = FILENAME " " $0; sub(/ [0-9]+$/, "", key); print key
        fonts = /\\Font(s|Substitutes)\]/ }
        key && !fonts && NF && !/^(\[|#time=|"DriverDateData")/ { print key, $0 }' *.reg
}

rm -rf "$VELORN_DOWNLOADS" && mkdir -p "$VELORN_DOWNLOADS" && cp "$exe" "$VELORN_DOWNLOADS/" || exit 1
$arch-w64-mingw32-gcc-posix -shared -s -Wall -Werror -o "$out/planted.dll" "$root/tests/planted.c" || exit 1
for dll in $planted; do cp "$out/planted.dll" "$VELORN_DOWNLOADS/$dll" || exit 1; done
ready && (machine) | sort >"$out/machine-before" || exit 1
WINEDEBUG=-all,warn+heap,err+heap "$root/cmake/wine-run.sh" --dpi 144 --locale "$locale" "$@" \
    >"$out/wine.log" 2>&1
status=$?
cat "$out/wine.log"
awk '{ sub(/\r$/, "") } /^\[ RUN / { test = $4 }
    /:heap:/ { print "HEAP, while " test " ran: " $0; bad = 1 }
    /^LEFT RUNNING/ { print $0 ", in " test; bad = 1 }
    /^\[==========\] .* ran\./ { done = 1; ran = $2 }
    END { if (!done) print "UNFINISHED: the test exe crashed or was stopped"
          else if (!ran) print "NO TEST RAN: the filter matched no test"
          exit bad || !done || !ran }' "$out/wine.log" || status=1
for loaded in "$VELORN_DOWNLOADS"/*.loaded; do
    [ -e "$loaded" ] && status=1 && echo "PLANTED DLL RAN: $(basename "$loaded" .loaded), saved" \
        "beside Velorn in a Downloads folder, was loaded into it: on Windows any such DLL would run"
done
# The jobs end every Velorn with the test exe: one still there escaped them.
timeout 5 sh -c 'while pgrep -x Velorn.exe >/dev/null; do sleep 0.1; done' ||
    { echo "LEFT RUNNING after the test exe ended:"; pgrep -a -x Velorn.exe; status=1; }
ready || status=1
(machine) | sort >"$out/machine-after"
diff "$out/machine-before" "$out/machine-after" >"$out/machine-changes" ||
    { echo "CHANGED on the machine (< before, > after):"; cat "$out/machine-changes"; status=1; }
exit $status

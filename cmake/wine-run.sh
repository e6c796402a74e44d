#!/bin/sh
# Runs a Windows program under wine64 in the project's private prefix, with
# code page 1250 and no Mono/Gecko prompts. Without a display it brings up
# its own Xvfb for this one run.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=cs_CZ.UTF-8
wine=/usr/lib/wine/wine64

if [ -z "$DISPLAY" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '"$0" "$@"; rc=$?; /usr/lib/wine/wineserver -w; exit $rc' "$0" "$@"
fi

# First use creates the prefix; a lock keeps parallel tests from racing.
if [ ! -f "$WINEPREFIX/.velorn-ready" ]; then
    mkdir -p "$WINEPREFIX"
    flock "$WINEPREFIX/.init.lock" sh -c '
        [ -f "$WINEPREFIX/.velorn-ready" ] && exit 0
        '"$wine"' wineboot -i >/dev/null 2>&1
        # No window manager runs under Xvfb: unmanaged windows do not wait
        # two seconds for one each time they are hidden.
        '"$wine"' reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
        /usr/lib/wine/wineserver -w
        # Wine'"'"'s own fonts (Marlett draws the caption buttons) are not
        # found where Debian installs them; give the prefix a copy.
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
        touch "$WINEPREFIX/.velorn-ready"'
fi
exec "$wine" "$@"

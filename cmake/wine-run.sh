#!/bin/sh
# Runs a Windows program under wine64 in a private prefix in build/, in
# Czech with code page 1250 and no Mono/Gecko prompts. --dpi N picks the
# prefix with that screen resolution (default 96); --locale L sets the
# system locale, from which Wine takes the code page of non-Unicode programs
# (default cs_CZ.UTF-8: 1250), while the user's language stays Czech;
# --desktop picks a prefix of its own whose windows a desktop's window
# manager frames. Without a display it runs on a screen of its own
# (xvfb.sh) for this one run. Without a program it makes the prefix ready,
# stops its Wine, the registry saved, and prints the prefix's path. --bound S
# stops the program after S seconds (status 124). Wine's messages stay off
# unless WINEDEBUG asks for some.
# Usage: wine-run.sh [--dpi N] [--locale L] [--desktop] [--bound S] [PROGRAM [ARGS]]
set -e
if [ -z "${DISPLAY:-}" ]; then
    exec "$(dirname "$0")/xvfb.sh" "$0" --own-screen "$@"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
dpi=96
locale=cs_CZ.UTF-8
prefix=wineprefix
managed=N
own_screen=
bound=
while :; do
    case ${1:-} in
    --dpi) dpi=$2 && shift 2 ;;
    --locale) locale=$2 && shift 2 ;;
    --desktop) prefix=wineprefix-desktop managed=Y && shift ;;
    --own-screen) own_screen=1 && shift ;;
    --bound) bound="timeout -k 10 $2" && shift 2 ;;
    *) break ;;
    esac
done
export WINEPREFIX="$root/build/$prefix-$dpi"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;${WINEDLLOVERRIDES:-}"
export FONTCONFIG_FILE="$root/cmake/fonts.conf" # the system's fonts that Wine may use
# Wine takes the code page from LC_CTYPE and its language from LC_MESSAGES
# (each a glibc locale: scripts/setup.sh makes them).
unset LC_ALL LANGUAGE
export LANG=cs_CZ.UTF-8 LC_MESSAGES=cs_CZ.UTF-8 LC_CTYPE=cs_CZ.UTF-8
wine=/usr/lib/wine/wine64
# The longest, in seconds, that a step of Wine's own may take (making the
# prefix, a registry import, registering fonts, another run's hold on the
# prefix) and that stopping Wine may take. The program only if asked: --bound.
step_bound=120
stop_bound=30
step() {
    timeout $step_bound $wine "$@" >/dev/null 2>&1 ||
        { echo "wine-run: '$*' failed or did not end within $step_bound s" >&2; stop; exit 1; }
}
# Ends the prefix's Wine processes, its registry saved, at once: -k makes the
# server end (SIGINT first), where -w alone waits out its idle seconds.
stop() {
    timeout $stop_bound sh -c '/usr/lib/wine/wineserver -k 2>/dev/null; /usr/lib/wine/wineserver -w' ||
        { echo "wine-run: Wine did not stop within $stop_bound s" >&2; exit 1; }
}

# First use creates the prefix; a lock keeps parallel runs from racing.
if [ ! -f "$WINEPREFIX/.velorn-ready" ]; then
    mkdir -p "$WINEPREFIX"
    exec 9>"$WINEPREFIX/.init.lock"
    flock -w $step_bound 9 ||
        { echo "wine-run: another run held $WINEPREFIX for $step_bound s" >&2; exit 1; }
    if [ ! -f "$WINEPREFIX/.velorn-ready" ]; then
        echo "wine-run: creating the Wine prefix $WINEPREFIX (once, 15-30 s)" >&2
        step wineboot -i
        # No window manager runs under Xvfb: unmanaged windows do not wait
        # two seconds for one each time they are hidden. On a desktop the
        # window manager frames them (Managed=Y). Tahoma, the message
        # box font, gives way to DejaVu Sans: Wine's Tahoma has no small
        # bitmap glyph for the Czech "ů". A crash ends with a backtrace, not
        # with a dialog that nobody can close.
        printf '%s\r\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' "\"Managed\"=\"$managed\"" '' \
            '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=dword:$(printf %08x "$dpi")" '' \
            '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' '"Tahoma"="DejaVu Sans"' '' \
            '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' \
            >"$WINEPREFIX/drive_c/velorn.reg"
        step regedit /S 'C:\velorn.reg'
        stop
        # Wine's own fonts (Marlett draws the caption buttons) are not found
        # where Debian installs them; give the prefix a copy, Tahoma aside.
        for font in /usr/share/wine/fonts/*.ttf; do
            case $font in */tahoma*) ;; *) cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/" ;; esac
        done
        # The user's folders (Desktop, Documents ...) are links to $HOME:
        # folders of the prefix instead, so that what a program saves there
        # stays in the prefix, where the tests look, and out of the home.
        find "$WINEPREFIX/drive_c/users" -type l -exec sh -c 'rm "$1" && mkdir "$1"' link {} \;
        touch "$WINEPREFIX/.velorn-ready"
    fi
    exec 9>&-
fi
export LC_CTYPE="$locale"
# A first program in a new prefix, or under another code page, lets Wine
# register its fonts for this DPI and code page now, not in the run.
if [ "$(cat "$WINEPREFIX/.velorn-locale" 2>/dev/null)" != "$locale" ]; then
    step cmd /c exit
    stop
    echo "$locale" >"$WINEPREFIX/.velorn-locale"
fi
[ $# -eq 0 ] && stop && echo "$WINEPREFIX" && exit 0
[ -n "$own_screen" ] || exec $bound "$wine" "$@"
# The screen goes with this run: the prefix's Wine processes end first, so
# that none of them reports its X connection broken.
status=0
$bound "$wine" "$@" || status=$?
stop
exit $status

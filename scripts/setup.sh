#!/bin/sh
# Installs what Velorn's build and tests need from Debian's archive, where
# missing. Where this machine can execute 32-bit x86 code (runs-i386.sh),
# that includes Wine's 32-bit half (wine32:i386), so the tests run the
# shipping 32-bit exe too; never elsewhere, where Debian's wine wrapper would
# then pick a loader that cannot start. Then the glibc locales from which
# Wine takes its language and code page (cmake/wine-run.sh).
set -eu
cd "$(dirname "$0")/.."
mkdir -p build
PACKAGES="cmake make googletest cppcheck clang-format
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine64 fonts-wine fonts-dejavu-core xvfb xauth locales python3 python3-pefile zip unzip"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=""
for p in $PACKAGES; do
    installed "$p" || missing="$missing $p"
done
if scripts/runs-i386.sh; then
    installed wine32:i386 || missing="$missing wine32:i386"
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ -n "$missing" ]; then
    echo "setup: installing$missing"
    log=build/apt.log
    {
        case "$missing" in *:i386*) $sudo dpkg --add-architecture i386 ;; esac
        $sudo apt-get update -qq &&
            $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
    } >"$log" 2>&1 || { cat "$log"; echo "setup: installing failed"; exit 1; }
fi
for locale in cs_CZ en_US; do
    locale -a | grep -qx "$locale.utf8" && continue
    echo "setup: making the glibc locale $locale.UTF-8"
    $sudo localedef -i $locale -f UTF-8 $locale.UTF-8 || { echo "setup: localedef failed"; exit 1; }
done

#!/bin/sh
# Runs a command of the project on a Debian release other than this machine's,
# as on a fresh machine of it: in a chroot that debootstrap makes once, under
# /var/cache/velorn, and later runs reuse, with its packages and its build/.
# The project's files go in as they are here, changes not yet committed too.
# Its mounts live in a mount namespace of this run alone: when the run ends,
# fails or is stopped, nothing stays mounted, and no rm -rf reaches /dev.
# Usage: scripts/on-debian.sh 12|13|other [COMMAND [ARGS]]  (default scripts/test.sh)
set -eu
cd "$(dirname "$0")/.."
this=$(cut -d. -f1 /etc/debian_version)
release=${1:-other}
[ "$release" = other ] && { [ "$this" = 12 ] && release=13 || release=12; }
case $release in
12) suite=bookworm ;;
13) suite=trixie ;;
*) echo "usage: scripts/on-debian.sh 12|13|other [COMMAND [ARGS]]"; exit 2 ;;
esac
[ $# -gt 0 ] && shift
[ $# -gt 0 ] || set -- scripts/test.sh
root=/var/cache/velorn/debian-$release
say() { echo "debian-$release: $*"; }

if [ ! -f "$root/.velorn-ready" ]; then
    command -v debootstrap >/dev/null || {
        say "installing debootstrap"
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap; } \
            >/dev/null 2>&1 || { say "installing debootstrap failed"; exit 1; }
    }
    say "making the chroot $root (once, 1 to 3 minutes)"
    rm -rf "$root.new" && mkdir -p "$root.new"
    # debootstrap mounts /proc and more in the chroot as it works: in a
    # namespace of its own, so that a stopped run leaves none behind.
    unshare --mount --propagation private debootstrap --variant=minbase $suite "$root.new" \
        http://deb.debian.org/debian >"$root.new.log" 2>&1 ||
        { tail -n 20 "$root.new.log"; say "debootstrap failed (log: $root.new.log)"; exit 1; }
    touch "$root.new/.velorn-ready" && mv "$root.new" "$root" && rm -f "$root.new.log"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The files git would commit, and nothing of this tree's build/.
mkdir -p "$root/velorn" && find "$root/velorn" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
git ls-files -z -co --exclude-standard | xargs -0 tar -cf - | tar -C "$root/velorn" -xf -
say "running $* ($(cat "$root/etc/debian_version"))"
# /tmp is the host's: an X server's number in use here is in use there too.
exec unshare --mount --propagation private sh -c '
    root=$1 && shift
    # The chroot a mount of its own, so that a namespace can be made in it too.
    mount --bind "$root" "$root" && mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" &&
        mount --rbind /tmp "$root/tmp" || exit 1
    exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        TERM="${TERM:-dumb}" CI="${CI:-}" sh -c "cd /velorn && exec \"\$@\"" sh "$@"' sh "$root" "$@"

#!/bin/sh
# Runs the README's test command as a new user would, on each Debian release
# in turn, then builds the Debian package there as a packager would: in a
# clean root (minbase, with git, sudo and certificates only), on a fresh
# clone of what is committed. A release's root is made once with
# mmdebstrap and kept as a tarball in the cache folder; every run unpacks it
# anew, so nothing of one run reaches the next. Needs root.
#   tools/test-releases.sh [CACHE] [RELEASE ...]   (default: build/releases; bookworm trixie sid)
set -eu
top=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
cache=$(realpath -m "${1:-$top/build/releases}")
[ $# -gt 0 ] && shift
releases=${*:-bookworm trixie sid}
mkdir -p "$cache"

root=""
undo() {
    [ -n "$root" ] || return 0
    umount -R "$root/dev" "$root/proc" 2>/dev/null || true
    rm -rf --one-file-system "$root"
    root=""
}
trap undo EXIT INT TERM

summary=""
for release in $releases; do
    tarball="$cache/$release.tar"
    if [ ! -f "$tarball" ]; then
        # The unstable index may carry a date that has already passed.
        mmdebstrap --quiet --format=tar --variant=minbase --include=ca-certificates,git,sudo \
            --aptopt='Acquire::Check-Valid-Until "false"' "$release" "$tarball.new"
        mv "$tarball.new" "$tarball"
    fi
    root=$(mktemp -d "$cache/$release.XXXXXX")
    tar -C "$root" -xf "$tarball"
    rm -f "$root/etc/hosts"  # tests dial addresses, never names
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    git clone --quiet "$top" "$root/brindlet"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --make-rslave "$root/dev"
    log="$cache/$release.log"
    start=$(date +%s)
    if chroot "$root" sh -c 'cd /brindlet && ./test.sh' >"$log" 2>&1; then tests=passed; else tests=FAILED; fi
    middle=$(date +%s)
    # Then the Debian way, as a packager builds it, the tests running in the build.
    if chroot "$root" sh -c 'cd /brindlet && apt-get build-dep -y -q ./ && dpkg-buildpackage -us -uc -b' >>"$log" 2>&1
    then package=passed; else package=FAILED; fi
    warnings=$(grep -ci 'warning' "$log" || true)
    line=$(printf '%-9s ./test.sh %-6s in %4s s, dpkg-buildpackage %-6s in %4s s, %s lines of warnings   %s' \
        "$release" "$tests" "$((middle - start))" "$package" "$(($(date +%s) - middle))" "$warnings" "$log")
    echo "$line"
    summary="$summary$line
"
    undo
done
printf '\n%s' "$summary"
! printf '%s' "$summary" | grep -q FAILED

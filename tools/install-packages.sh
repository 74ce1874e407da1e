#!/bin/sh
# Installs those of Debian's packages that are missing: the build's own list,
# and any package named as an argument. As root, or through sudo otherwise.
set -eu

BUILD_PACKAGES="cmake g++ make qt6-base-dev qt6-base-private-dev qt6-svg-dev fonts-dejavu-core dbus-daemon dpkg-dev"

missing=""
for package in $BUILD_PACKAGES "$@"; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed' \
        || missing="$missing $package"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" = 0 ]; then
    as_root=""
elif command -v sudo >/dev/null; then
    as_root="sudo"
else
    echo "Installing needs root or sudo; missing:$missing" >&2
    exit 1
fi
echo "Installing:$missing"
$as_root apt-get update -qq
# shellcheck disable=SC2086 # one word a package
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing

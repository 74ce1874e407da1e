#!/bin/sh
# Qt for 64-bit Windows (MinGW-w64), made once per machine in a cache outside
# build/, and its folder printed: Core, Gui, Widgets, Network and Test, the
# Windows platform and style plug-ins, from Debian's own qt6-base source of
# the same version as the host's Qt tools, which the cross build uses.
#   tools/windows-qt.sh
# With BRINDLET_QT_MINGW_TAR naming a tar file of such a build (a folder
# qt6-mingw/ inside), that is unpacked instead.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
version=$(dpkg-query -W -f '${Version}' qt6-base-dev)
cache=${BRINDLET_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brindlet}
prefix=$cache/qt6-mingw-$version
if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "$prefix"
    exit 0
fi
mkdir -p "$cache"
work=$(mktemp -d "$cache/work.XXXXXX")
trap 'rm -rf "$work"' EXIT

if [ -n "${BRINDLET_QT_MINGW_TAR:-}" ]; then
    echo "Qt for Windows: unpacking $BRINDLET_QT_MINGW_TAR" >&2
    tar -xJf "$BRINDLET_QT_MINGW_TAR" -C "$work"
    mv "$work/qt6-mingw" "$prefix"
    echo "$prefix"
    exit 0
fi

# The source, through a deb-src line of this script's own: the system's apt
# configuration stays as it is. The mirror is the one the system uses.
echo "Qt for Windows: building qt6-base $version from source (about 80 CPU-minutes)" >&2
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(sed -n 's/^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*\).*/\2/p' /etc/apt/sources.list | head -n 1)
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
mkdir -p "$work/lists/partial"
echo "deb-src $mirror $codename main" > "$work/sources.list"
apt_options="-o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=/dev/null -o Dir::State::Lists=$work/lists"
# shellcheck disable=SC2086
apt-get $apt_options update >&2
# shellcheck disable=SC2086
(cd "$work" && apt-get $apt_options source --only-source "qt6-base=$version" >&2)
source=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)

cmake -G Ninja -S "$source" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF -DBUILD_WITH_PCH=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_openssl=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF \
    -DFEATURE_glib=OFF -DFEATURE_pkg_config=OFF -DFEATURE_brotli=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_freetype=ON \
    -DFEATURE_jpeg=OFF -DFEATURE_androiddeployqt=OFF -DFEATURE_sql_sqlite=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF >&2
cmake --build "$work/build" -j"${JOBS:-2}" >&2
cmake --install "$work/build" >&2
echo "$prefix"

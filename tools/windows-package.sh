#!/bin/sh
# Packs the Windows build into a zip to unpack and run, nothing to install:
# brindlet.exe, the Qt and MinGW runtime libraries it needs, the Windows
# platform and style plug-ins, the licence and a short read-me.
#   tools/windows-package.sh BUILD QT_PREFIX VERSION   ->  BUILD/Brindlet-VERSION-windows-x64.zip
set -eu
build=$1 qt=$2 version=$3
here=$(cd "$(dirname "$0")/.." && pwd)
name=Brindlet-$version
stage=$build/zip/$name
rm -rf "$build/zip"
mkdir -p "$stage/platforms" "$stage/styles"
x86_64-w64-mingw32-strip -o "$stage/brindlet.exe" "$build/brindlet.exe"
for library in Qt6Core Qt6Gui Qt6Widgets Qt6Network; do
    x86_64-w64-mingw32-strip -o "$stage/$library.dll" "$qt/bin/$library.dll"
done
x86_64-w64-mingw32-strip -o "$stage/platforms/qwindows.dll" "$qt/plugins/platforms/qwindows.dll"
x86_64-w64-mingw32-strip -o "$stage/styles/qwindowsvistastyle.dll" "$qt/plugins/styles/qwindowsvistastyle.dll"
for runtime in libstdc++-6.dll libgcc_s_seh-1.dll; do
    x86_64-w64-mingw32-strip -o "$stage/$runtime" "$(x86_64-w64-mingw32-g++-posix -print-file-name=$runtime)"
done
x86_64-w64-mingw32-strip -o "$stage/libwinpthread-1.dll" /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll
sed 's/$/\r/' "$here/COPYING" > "$stage/COPYING.txt"
sed "s/@VERSION@/$version/; s/\$/\r/" "$here/packaging/windows/README.txt" > "$stage/README.txt"
rm -f "$build/$name-windows-x64.zip"
(cd "$build/zip" && zip -qr9 "../$name-windows-x64.zip" "$name")
echo "$build/$name-windows-x64.zip"

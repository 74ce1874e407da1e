#!/bin/sh
# Runs a Windows test program under Wine, as CTest's emulator for the Windows
# build, headless: Qt's libraries and plug-ins from QT_WIN_PREFIX, a Wine
# prefix of its own, and QtTest's output through a file, since Wine does not
# pass a Windows program's standard output on.
#   tools/wine-test.sh PROGRAM.exe [ARGUMENTS...]
set -u
program=$1
shift
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/brindlet/wine}
export WINEDEBUG=-all
export WINEPATH="$(winepath -w "$QT_WIN_PREFIX/bin");$(winepath -w "$runtime");$(winepath -w /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH="$(winepath -w "$QT_WIN_PREFIX/plugins")"
# The first test to run makes the prefix; the others wait for it.
mkdir -p "$(dirname "$WINEPREFIX")"
[ -f "$WINEPREFIX/system.reg" ] || flock "$WINEPREFIX.lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || wineboot -i'
output=$(mktemp --suffix=.txt)
case $(basename "$program") in
    tst_*) wine "$program" "$@" -o "$(winepath -w "$output"),txt" ;;
    *) wine "$program" "$@" > "$output" 2>&1 ;;
esac
status=$?
tr -d '\r' < "$output"
rm -f "$output"
exit $status

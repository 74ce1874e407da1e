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
# A path of this system as Windows programs see it: every prefix has / as Z:.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
export WINEPATH="$(windows_path "$QT_WIN_PREFIX/bin");$(windows_path "$runtime");$(windows_path /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH="$(windows_path "$QT_WIN_PREFIX/plugins")"
# Wine keeps Linux's QT_ variables from Windows programs and passes WINEQT_
# ones on as QT_: so the tests' own go through, the offscreen platform first.
for variable in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    export "WINE$variable=$(printenv "$variable")"
done
output=$(mktemp --suffix=.txt)
messages=$(mktemp)
# Wine's own output goes to a file, never to CTest's pipe: the helpers a Wine
# session starts hold what they inherit while the session lasts, and CTest
# would wait on the test that started it until the last test ends.
# The first test to run makes the prefix; the others wait for it.
mkdir -p "$(dirname "$WINEPREFIX")"
[ -f "$WINEPREFIX/system.reg" ] || flock "$WINEPREFIX.lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || wineboot -i' > "$messages" 2>&1
case $(basename "$program") in
    tst_*) set -- "$@" -o "$(windows_path "$output"),txt" ;;
esac
wine "$program" "$@" >> "$messages" 2>&1
status=$?
tr -d '\r' < "$output"
tr -d '\r' < "$messages"
rm -f "$output" "$messages"
exit $status

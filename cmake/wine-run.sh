#!/bin/bash
# Runs one Windows executable of the win32 build under Wine.
#
#   cmake/wine-run.sh build/win32/bin/lib32_tests.exe [args...]
#
# The prefix is private to the build folder (build/win32/wineprefix), 32-bit,
# headless (graphics driver "null"), and served by one persistent wineserver
# that cmake/wine-stop.sh (or CTest's cleanup fixture) ends.
set -u
exe=$1
shift
bindir=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX="${ZT_WINEPREFIX:-$(dirname "$bindir")/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
"$(dirname "$0")/wine-prefix.sh" || exit 1
exec wine "$exe" "$@"

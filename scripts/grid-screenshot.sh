#!/bin/bash
# Shows a filled grid (tools/gridshow) under Xvfb with Wine's x11 driver, in
# German and English, and saves the screenshots as docs/grid_D.png and
# docs/grid_E.png. Builds the win32 preset first when grid_show.exe is missing.
#   scripts/grid-screenshot.sh [display]      (default :91)
set -euo pipefail
cd "$(dirname "$0")/.."
display=${1:-:91}
exe=build/win32/bin/grid_show.exe
if [ ! -f "$exe" ]; then
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 --target grid_show
fi
# A prefix of its own: the tests' prefix keeps the null driver.
export WINEPREFIX=$PWD/build/win32/wineprefix-x11 WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
log=build/win32/grid-screenshot.log
Xvfb "$display" -screen 0 800x380x24 >"$log" 2>&1 &
xvfb=$!
stop() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}
trap stop EXIT
export DISPLAY=$display
sleep 1
wineboot -i >>"$log" 2>&1 || true
for lang in D E; do
  wine "$exe" "$lang" 8 >>"$log" 2>&1 &
  show=$!
  sleep 5
  import -window root "docs/grid_$lang.png"
  wait "$show" || true
  echo "docs/grid_$lang.png"
done

#!/bin/bash
# Screenshots of ztview.exe on the demo's files in both languages, under Xvfb
# with Wine's x11 driver in a prefix of its own: the main window with the
# records, the selection dialog, the property sheet's pages and the print
# preview. The pictures go to docs/ (ztview-main-D.png, ...).
#
#   cmake --preset win32 && cmake --build --preset win32 --target ztview ztdesc
#   scripts/ztview-screenshots.sh [DISPLAY_NUMBER]      (default 95)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh screens
display=${1:-95}
build=$PWD/build/win32
export WINEPREFIX=$build/wineprefix-x11 WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
work=/tmp/zt-ztview-shots
rm -rf "$work"
mkdir -p "$work"
Xvfb ":$display" -screen 0 1100x720x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=":$display"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  # No window manager under Xvfb: Wine draws the frames and captions itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
wine "$build/bin/ztdesc.exe" demo "Z:${work//\//\\}\\demo" >/dev/null 2>&1
demo="Z:${work//\//\\}\\demo"

shot() {  # name: the screen trimmed to the windows on it, once they show
  for _ in $(seq 60); do
    import -window root png:- | convert - -trim +repage "docs/$1.png" 2>/dev/null
    [ "$(identify -format %w "docs/$1.png")" -gt 300 ] && break
    sleep 1
  done
  sleep 3
  import -window root png:- | convert - -trim +repage "docs/$1.png"
  echo "docs/$1.png"
}
run() {  # picture name, language, then ztview's arguments
  local name=$1 lang=$2
  shift 2
  wine "$build/bin/ztview.exe" /lang "$lang" /settings "Z:${work//\//\\}\\settings-$lang.cfg" \
    /folder "$demo" "$@" >/dev/null 2>&1 &
  local app=$!
  shot "$name"
  wineserver -k >/dev/null 2>&1 || true
  wait "$app" || true
}
for lang in D E; do
  run "ztview-main-$lang" "$lang" /table Order "$demo\\sample.isa"
  run "ztview-selection-$lang" "$lang" /table Order /do selection "$demo\\sample.isa"
  run "ztview-fields-$lang" "$lang" /table Order /do properties "$demo\\sample.isa"
  run "ztview-keys-$lang" "$lang" /table Order /do properties /page 1 "$demo\\sample.isa"
  run "ztview-preview-$lang" "$lang" /table Order /do preview "$demo\\sample.isa"
done

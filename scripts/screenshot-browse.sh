#!/bin/bash
# Screenshots of the file browsing in both languages: browse_demo.exe (a tree
# view and a file list filled from CZTFileTree, check boxes of CZTFileType) and
# a box of the library, under Xvfb with Wine's x11 driver in a prefix of its own.
# The pictures go to docs/.
#
#   cmake --preset win32 && cmake --build --preset win32
#   scripts/screenshot-browse.sh [DISPLAY_NUMBER]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh screens
display=${1:-92}
build=$PWD/build/win32
export WINEPREFIX=$build/wineprefix-x11 WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
tree=/tmp/zt-browse-demo
rm -rf "$tree"
Xvfb ":$display" -screen 0 840x560x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$tree"
}
trap cleanup EXIT
export DISPLAY=":$display"

# A small tree of projects and pictures.
for d in "Projekte/Alpha/Bilder" "Projekte/Alpha/Beschreibungen" "Projekte/Beta" "Archiv/2023" "Archiv/2024"; do
  mkdir -p "$tree/$d"
done
n=0
for f in Projekte/Alpha/Bilder/{Ansicht_Nord,Ansicht_Sued,Detail_Tuer,Detail_Fenster,Grundriss}.jpg \
         Projekte/Alpha/Beschreibungen/{Kunden,Auftraege,Rechnungen}.cfg Projekte/Alpha/{Notizen,Termine}.txt \
         Projekte/Alpha/daten.dat Projekte/Beta/{Angebot,Protokoll}.txt Projekte/Beta/Lager.cfg \
         Archiv/2023/{Jahresbericht,Inventur}.txt Archiv/2024/{Jahresbericht,Planung}.txt Archiv/index.dat; do
  n=$((n + 1))
  head -c $((n * 1371)) /dev/zero >"$tree/$f"
done
root="Z:${tree//\//\\}"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  # No window manager under Xvfb: Wine draws the frames and captions itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
shot() {  # name: the screen trimmed to the windows on it, once a window shows
  for _ in $(seq 60); do
    import -window root png:- | convert - -trim +repage "docs/$1.png" 2>/dev/null
    [ "$(identify -format %w "docs/$1.png")" -gt 100 ] && break
    sleep 1
  done
  sleep 2
  import -window root png:- | convert - -trim +repage "docs/$1.png"
}
for lang in D E; do
  wine "$build/bin/browse_demo.exe" "$lang" "$root" >/dev/null 2>&1 &
  demo=$!
  shot "browse-tree-$lang"
  wineserver -k >/dev/null 2>&1 || true
  wait "$demo" || true
  wine "$build/bin/browse_demo.exe" "$lang" box >/dev/null 2>&1 &
  demo=$!
  shot "browse-box-$lang"
  wineserver -k >/dev/null 2>&1 || true
  wait "$demo" || true
done
echo "docs/browse-tree-D.png docs/browse-tree-E.png docs/browse-box-D.png docs/browse-box-E.png"

#!/bin/bash
# Pictures of the description editing for docs/pictures: the pages of the table
# property sheet and the three format dialogs in both languages, shown under
# Xvfb with Wine's x11 driver (in a prefix of their own, beside the test
# prefix), and the printed field list, key list and editable table rendered
# from their metafiles.
#
#   scripts/edit-pictures.sh [DISPLAY_NUMBER]     (default 93; needs the win32 build)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh screens
display=${1:-93}
bin=$PWD/build/win32/bin
out=$PWD/docs/pictures
[ -x "$bin/ztshow.exe" ] || { echo "build the win32 preset first" >&2; exit 1; }
mkdir -p "$out"
tmp=$(mktemp -d)
export WINEPREFIX=$PWD/build/win32/wineprefix-x11 WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
export DISPLAY=":$display"
sleep 1
if [ ! -d "$WINEPREFIX" ]; then
  wineboot -i >"$tmp/wineboot.log" 2>&1
fi
# No window manager runs: Wine draws the captions and frames itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Printouts in a face with the metrics of the one they name.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f >/dev/null 2>&1

shot() {  # shot NAME ztshow-arguments...: the window ztshow shows, cut out of the screen
  local name=$1
  shift
  rm -f "$tmp/place"
  wine "$bin/ztshow.exe" "$@" "$tmp/place" >"$tmp/ztshow.log" 2>&1 &
  local shown=$!
  for _ in $(seq 100); do
    [ -s "$tmp/place" ] && break
    sleep 0.2
  done
  if [ -s "$tmp/place" ]; then
    sleep 1
    read -r x y w h <"$tmp/place"
    import -display ":$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
    echo "$out/$name.png"
  else
    echo "no picture of $name" >&2
  fi
  wait "$shown" || cat "$tmp/ztshow.log" >&2
}

pages=(fields keys gallery)
for lang in D E; do
  for page in 0 1 2; do
    shot "sheet-${pages[$page]}-$lang" sheet "$lang" samples/sample.cfg Customer "$page"
  done
  for kind in number decimal datetime; do
    shot "format-$kind-$lang" format "$lang" "$kind"
  done
done

for list in fields keys editable; do
  wine "$bin/ztshow.exe" print samples/sample.cfg Order "$list" "$tmp/$list.emf"
  wine "$bin/ztshow.exe" render "$tmp/$list.emf" 100 "$tmp/$list.bmp"
  # The upper part of the first page is what there is to see.
  convert "$tmp/$list.bmp" -crop 827x500+0+0 +repage "$out/print-$list.png"
  echo "$out/print-$list.png"
done

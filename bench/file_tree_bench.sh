#!/bin/bash
# Makes generated trees under /tmp (100,000 files in 5,000 folders, then
# 1,000,000 files in 50,000 folders), runs the Windows build's file_tree_bench
# on each under Wine (BrowseDrive against a bare FindFirstFile/FindNextFile
# walk, and findFile), and removes the trees again.
#
#   cmake --preset win32 && cmake --build --preset win32 --target file_tree_bench
#   bench/file_tree_bench.sh [100000|1000000 ...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build/win32
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
work=$(mktemp -d /tmp/zt_file_tree_bench.XXXXXX)
cleanup() {
  rm -rf "$work"
  cmake/wine-stop.sh "$build/wineprefix"
}
trap cleanup EXIT

# ROOT TOP SUB FILES: TOP folders of SUB folders of FILES files each, names of
# a few kinds and cases.
make_tree() {
  python3 - "$@" <<'PY'
import os, sys
root, top, sub, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
kinds = ("Report_%05d.txt", "img%05d.JPG", "data-%05d.dat", "Notes %05d.cfg")
n = 0
for t in range(top):
    for s in range(sub):
        d = os.path.join(root, "Folder%03d" % t, "sub_%04d" % s)
        os.makedirs(d)
        for f in range(files):
            os.close(os.open(os.path.join(d, kinds[n % 4] % n), os.O_CREAT | os.O_WRONLY, 0o644))
            n += 1
PY
}

for size in "${sizes[@]}"; do
  case $size in
    100000) shape=(50 100 20) ;;    # 5,000 folders of 20 files (and their 50 parents)
    1000000) shape=(250 200 20) ;;  # 50,000 folders of 20 files
    *) echo "sizes: 100000 1000000" >&2; exit 2 ;;
  esac
  tree=$work/t$size
  echo "=== $size files: making the tree"
  make_tree "$tree" "${shape[@]}"
  echo "=== $size files: file_tree_bench.exe Z:${tree//\//\\}"
  cmake/wine-run.sh "$build/bin/file_tree_bench.exe" "Z:${tree//\//\\}" 5
  rm -rf "$tree"
done

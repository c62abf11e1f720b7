#!/bin/bash
# Installs what is missing, builds every preset and runs every test:
# native, native with AddressSanitizer + UBSan, native release (benchmarks built,
# tests run), and the 32-bit Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh all
jobs=$(nproc)
status=0
stop_wine() { cmake/wine-stop.sh "$PWD/build/win32/wineprefix"; }
trap stop_wine EXIT
for preset in native native-asan native-release win32; do
  echo "=== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
for preset in native-release native-asan win32; do
  echo "=== $preset: test"
  if ! ctest --preset "$preset" -j "$jobs"; then status=1; fi
done
exit $status

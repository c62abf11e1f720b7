#!/bin/bash
# Installs what is missing, builds every preset and runs every test:
# native, native with AddressSanitizer + UBSan, native release (benchmarks built,
# tests run), the 32-bit Windows build under Wine, and every fuzz target for a
# short while over its seed corpus (clang, ASan + UBSan; a crash fails the run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh all
jobs=$(nproc)
fuzz_seconds=${ZT_FUZZ_SECONDS:-20}
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
echo "=== fuzz: build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target fuzzers
echo "=== fuzz: run each target ${fuzz_seconds} s"
# The seed corpus in fuzz/corpus/<target> is read only; what the run finds goes
# to build/fuzz/corpus/<target>, crash inputs to build/fuzz/crashes/.
mkdir -p build/fuzz/crashes
for target in build/fuzz/bin/*_fuzz; do
  name=$(basename "$target")
  seeds=fuzz/corpus/$name
  work=build/fuzz/corpus/$name
  log=build/fuzz/$name.log
  mkdir -p "$work"
  if [ ! -d "$seeds" ]; then
    echo "$name: no seed corpus in $seeds"
    status=1
  elif "$target" -max_total_time="$fuzz_seconds" -artifact_prefix="build/fuzz/crashes/$name-" "$work" "$seeds" \
    >"$log" 2>&1; then
    echo "$name: $(grep -o 'Done [0-9]* runs' "$log" || echo done)"
  else
    echo "$name: FAILED (log $log, inputs build/fuzz/crashes/$name-*)"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status

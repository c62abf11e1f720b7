#!/bin/bash
# Installs what the builds need on Debian 12, only when something is missing.
#   scripts/install-deps.sh native   compilers, CMake, GoogleTest, SQLite (the demo)
#   scripts/install-deps.sh all      plus mingw-w64, Wine, SQLite, Google Benchmark, clang
#   scripts/install-deps.sh screens  Wine, Xvfb and ImageMagick for the screenshots
set -euo pipefail
what=${1:-all}
packages=(cmake ninja-build g++ googletest libsqlite3-dev)
[ "$what" = screens ] && packages=(wine wine32:i386 xvfb xauth imagemagick)
if [ "$what" = all ]; then
  packages+=(mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
             wine wine32:i386 xvfb xauth imagemagick libbenchmark-dev clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
fi
echo "installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

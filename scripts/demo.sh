#!/bin/bash
# The main job on the built-in sample: builds the native tools and runs "ztdesc demo".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh native
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target ztdesc >/dev/null
exec build/native-release/bin/ztdesc demo "${@:-build/demo}"

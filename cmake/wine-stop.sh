#!/bin/bash
# Stops the wineserver and every Wine process of the build's private prefix.
set -u
export WINEPREFIX="${1:-${WINEPREFIX:-}}"
[ -n "$WINEPREFIX" ] && [ -d "$WINEPREFIX" ] || exit 0
# Wine wants an absolute prefix path.
WINEPREFIX=$(cd "$WINEPREFIX" && pwd)
wineserver -k >/dev/null 2>&1 </dev/null
wineserver -w >/dev/null 2>&1 </dev/null
exit 0

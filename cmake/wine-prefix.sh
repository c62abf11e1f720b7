#!/bin/bash
# Creates the private Wine prefix on first use and starts the persistent wineserver.
# Expects WINEPREFIX to be set. Everything Wine starts writes to $WINEPREFIX.log,
# never to the caller's terminal or pipe.
set -u
: "${WINEPREFIX:?}"
export WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
log="$WINEPREFIX.log"
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/zt-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >>"$log" 2>&1 </dev/null
  wineserver -w >>"$log" 2>&1 </dev/null
  # Headless: windows, dialogs and GDI memory drawing work without a display.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$log" 2>&1 </dev/null
  wineserver -k >>"$log" 2>&1 </dev/null
  wineserver -w >>"$log" 2>&1 </dev/null
  touch "$WINEPREFIX/zt-ready"
fi
# One wineserver for the whole run (starting a second one is a harmless no-op),
# and Wine's service processes started now, with their output in the log: a
# service started later by a test would inherit and hold open the test's output.
wineserver -p >>"$log" 2>&1 </dev/null
wineboot >>"$log" 2>&1 </dev/null
flock -u 9
exit 0

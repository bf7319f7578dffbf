#!/usr/bin/env bash
# Runs a program of the Windows build under wine64, with no display:
#   scripts/wine.sh build/windows/qkhost.exe info
# The wine prefix is $WINEPREFIX, else build/windows/wine; the first run
# makes it (one run at a time does, the others wait). CTest runs the
# Windows tests through this script.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$top/build/windows/wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="  # no .NET or browser installers
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

if [ ! -f "$WINEPREFIX/.made" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.made" ]; then
      "$wine" wineboot --init >/dev/null 2>&1
      "$wineserver" -w
      touch "$WINEPREFIX/.made"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"

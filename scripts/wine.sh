#!/usr/bin/env bash
# Runs a program of the Windows build under wine64, with no display:
#   scripts/wine.sh build/windows/qkhost.exe info
#   scripts/wine.sh --stop      ends the prefix's wine server now
# The wine prefix is $WINEPREFIX, else build/windows/wine. CTest runs the
# Windows tests through this script.
#
# The wine server is kept for 30 seconds after its last program ends: a
# server that quits when idle can drop a program that starts just then
# ("recvmsg: Connection reset by peer"), and the tests start hundreds.
# The first run makes the prefix.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$top/build/windows/wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="  # no .NET or browser installers
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

if [ "${1:-}" = --stop ]; then
  [ -d "$WINEPREFIX" ] && "$wineserver" -k 2>/dev/null || true  # none may run
  exit 0
fi

# One run at a time makes the prefix, and starts the server and the
# prefix's own processes apart from this run's output (a caller that reads
# the output to its end, as CTest does, would wait for them otherwise).
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.made" ]; then
    "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&-
    "$wineserver" -w
    touch "$WINEPREFIX/.made"
  fi
  # (They must not hold the lock either.)
  if "$wineserver" -p30 </dev/null >/dev/null 2>&1 9>&-; then  # fails when one runs already
    "$wine" wineboot </dev/null >/dev/null 2>&1 9>&-
  fi
) 9>"$WINEPREFIX.lock"
exec "$wine" "$@"

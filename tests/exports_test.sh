#!/bin/sh
# The plug-in file must define exactly one dynamic symbol: _mod_descrip,
# and hold no symbol of the tests' fault hook.
set -eu
symbols=$(nm -D --defined-only "$1" | awk '{print $3}')
if [ "$symbols" != "_mod_descrip" ]; then
  echo "defined dynamic symbols of $1:"; echo "$symbols"
  exit 1
fi
# Nor does the file hold any trace of the tests' fault hook, among all its
# symbols, local ones included (platformRead shows that nm reads them).
all=$(nm "$1")
case "$all" in
  *platformRead*) ;;
  *) echo "nm lists none of the plug-in's own functions in $1"; exit 1 ;;
esac
if printf '%s\n' "$all" | grep platformFault; then
  echo "$1 holds the fault hook"
  exit 1
fi

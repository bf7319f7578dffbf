#!/bin/sh
# The plug-in file must define exactly one dynamic symbol: _mod_descrip.
set -eu
symbols=$(nm -D --defined-only "$1" | awk '{print $3}')
if [ "$symbols" != "_mod_descrip" ]; then
  echo "defined dynamic symbols of $1:"; echo "$symbols"
  exit 1
fi

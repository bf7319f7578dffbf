#!/bin/sh
# The plug-in file is linked from the library without the tests' fault
# hook: no archive or object its link command names (response files
# included) defines or uses a symbol containing platformFault, and that
# command names libqk_core.a, whose symbols nm can read. This checks the
# link itself, so it holds for the stripped Windows DLL too.
#   link_variant_test.sh NM BUILD_DIR TARGET
# (the Makefile generators' link command file, CMakeFiles/TARGET.dir/link.txt)
set -eu
nm=$1
cd "$2"
link="CMakeFiles/$3.dir/link.txt"
[ -f "$link" ] || { echo "FAIL: no link command file $2/$link"; exit 1; }
# The words of the link command, with each @response file read in place.
words=$(for word in $(cat "$link"); do
  case "$word" in
    @*) cat "${word#@}" ;;
    *) echo "$word" ;;
  esac
done | tr -d '"' | tr ' ' '\n')
status=1
for file in $(printf '%s\n' "$words" | grep -E '\.(a|o|obj)$' | sort -u); do
  [ -f "$file" ] || continue
  symbols=$("$nm" -A "$file" 2>/dev/null || true)
  if printf '%s\n' "$symbols" | grep platformFault; then
    echo "FAIL: $file holds the fault hook"; exit 1
  fi
  case "$file" in
    libqk_core.a) printf '%s\n' "$symbols" | grep -q platformRead && status=0 ;;
  esac
done
[ $status = 0 ] || echo "FAIL: $link does not link libqk_core.a with readable symbols"
exit $status

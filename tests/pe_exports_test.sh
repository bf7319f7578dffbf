#!/bin/sh
# The Windows plug-in file exports exactly one entry, _mod_descrip, and
# imports from KERNEL32.dll and the C runtime (msvcrt.dll) only: the C++
# runtime, libgcc, winpthread and zlib are inside it.
#   pe_exports_test.sh OBJDUMP FILE
set -eu
objdump=$1
file=$2
headers=$(LC_ALL=C "$objdump" -p "$file")  # the headings it parses are English
exports=$(printf '%s\n' "$headers" | sed -n '/^Export Address Table --/,/^$/p' | grep -c '+base\[' || true)
names=$(printf '%s\n' "$headers" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p')
imports=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -u | tr '\n' ' ')
echo "exports: $exports entry, named: $names"
echo "imports: $imports"
status=0
if [ "$exports" != 1 ] || [ "$names" != "_mod_descrip" ]; then
  echo "FAIL: the file must export _mod_descrip and nothing else"; status=1
fi
case " $imports" in
  *" KERNEL32.dll "*) ;;
  *) echo "FAIL: no import from KERNEL32.dll"; status=1 ;;
esac
for dll in $imports; do
  case "$dll" in
    KERNEL32.dll|msvcrt.dll) ;;
    *) echo "FAIL: imports from $dll; only KERNEL32.dll and msvcrt.dll may be needed"; status=1 ;;
  esac
done
exit $status

#!/usr/bin/env bash
# Fails when the plug-in's folders include each other in a cycle. A folder
# depends on another when one of its files includes a header of the other
# ("save/save_flow.h" in open/ makes open depend on save); tsort finds a
# loop in those edges. On failure prints the loop and the includes that
# make each of its edges.
set -euo pipefail
cd "$(dirname "$0")/.."
folders=(platform hostapi archive backups save open settings plugin)

# One line per include that crosses folders: "from to file".
crossings() {
  local folder file target
  for folder in "${folders[@]}"; do
    for file in "$folder"/*.h "$folder"/*.cc; do
      [ -e "$file" ] || continue
      sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' "$file" | sort -u | while read -r target; do
        [ "$target" = "$folder" ] || echo "$folder $target $file"
      done
    done
  done
}

edges=$(crossings)
if loop=$(cut -d' ' -f1,2 <<< "$edges" | sort -u | tsort 2>&1 >/dev/null) && [ -z "$loop" ]; then
  echo "folders include each other without a cycle ($(cut -d' ' -f1,2 <<< "$edges" | sort -u | wc -l) edges)"
  exit 0
fi
echo "FAIL: the folders include each other in a cycle"
echo "$loop"
members=$(sed -n 's/^tsort: //p; /^[a-z_]*$/p' <<< "$loop" | grep -v ':' | sort -u)
while read -r from to file; do
  grep -qx "$from" <<< "$members" && grep -qx "$to" <<< "$members" && echo "  $from -> $to: $file"
done <<< "$edges"
exit 1

#!/usr/bin/env bash
# The main job: the stand-in host drives the plug-in through an editing
# session on a sample object (saves, edits between them, BAK saves), then
# lists what the plug-in kept.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh release
qkhost=build/release/qkhost

work=$(mktemp -d "${TMPDIR:-/tmp}/qk_revkeeper_demo.XXXXXX")
sample=../shared/samples/lwo/hierarchy.lwo
cp "$sample" "$work/Robot.lwo"
echo "Working on $work/Robot.lwo (a copy of $(basename "$sample"))"
echo

run() { echo "\$ qkhost $*"; "$qkhost" --settings "$work/settings" "$@"; echo; }
mkdir -p "$work/settings"
run info
run save "$work/Robot.lwo" edit save edit save
run bak "$work/Robot.lwo" edit bak edit bak

echo "What the plug-in kept:"
(cd "$work" && find . -type f -printf '%-40p %8s bytes\n' | sort)

#!/usr/bin/env bash
# The main job: the stand-in host drives the plug-in through an editing
# session on a sample object (edits between saves, incremental saves, BAK
# saves, a host whose save fails), then lists what the plug-in kept.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh release
qkhost=build/release/qkhost

work=$(mktemp -d "${TMPDIR:-/tmp}/qk_revkeeper_demo.XXXXXX")
sample=../shared/samples/lwo/hierarchy.lwo
if [ ! -f "$sample" ]; then
  echo "demo: the sample object $sample is missing (../shared beside the checkout)" >&2
  exit 1
fi
cp "$sample" "$work/Robot.lwo"
chmod u+w "$work/Robot.lwo"  # the samples are read-only; the host must save over its copy
mkdir -p "$work/settings"
echo "Working on $work/Robot.lwo (a copy of $(basename "$sample"), $(stat -c %s "$sample") bytes)"
echo "Each 'edit' changes the object in the host's memory; each save first backs up"
echo "the file as it stands on disk, then has the host write the edited object over it."
echo

run() {
  echo "\$ qkhost $*"
  "$qkhost" --settings "$work/settings" "$@" || echo "(qkhost exit status $?: the plug-in reported an error)"
  echo
}
run info
echo "# Three edits, each followed by an incremental save (QK_RevKeeper). The backups"
echo "# .incr_save/Robot_001.lwo, _002, _003 hold the object before each save: the"
echo "# original, then the state after the first edit, then after the second."
run open "$work/Robot.lwo" edit save edit save edit save
echo "# Three more edits, each with a BAK save (QK_BakKeeper): one rolling backup,"
echo "# .bak_save/Robot.bakN.lwo, holding the state before the last save."
run open "$work/Robot.lwo" edit bak edit bak edit bak
echo "# A host whose SAVE fails: the backup is made, the object's file is not replaced"
run --save-fails 5 save "$work/Robot.lwo"

echo "What the plug-in kept:"
(cd "$work" && find . -path ./settings -prune -o -type f -printf '%-32p %6s bytes\n' | sort)
echo
if cmp -s "$sample" "$work/.incr_save/Robot_001.lwo"; then
  echo "The first backup is the object exactly as it was before the first save."
else
  echo "The first backup differs from the original object!" >&2
  exit 1
fi
echo
echo "# Opening a backup from inside the host (QK_RevKeeperOpen): the panel lists"
echo "# every backup, newest first; choosing the last entry (the first backup) writes"
echo "# it beside the object as 'Robot (backup 001).lwo' and the host loads it."
count=$(find "$work/.incr_save" "$work/.bak_save" -type f | wc -l)
run --panel "0x8101=$((count - 1))" --panel ok open-backup "$work/Robot.lwo"
if cmp -s "$sample" "$work/Robot (backup 001).lwo"; then
  echo "The opened file is the object exactly as it was before the first save."
else
  echo "The opened file differs from the original object!" >&2
  exit 1
fi

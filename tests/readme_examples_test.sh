#!/usr/bin/env bash
# Runs every qkhost example line of the README's command-line section and
# checks the outcome its comment claims, so that the examples stay true.
# Each example runs in a scratch folder of its own, on a copy of a sample
# object named Robot.lwo, after the commands its row prepares the folder
# with. An example without a row fails the test: a new example needs one.
#   readme_examples_test.sh QKHOST README SAMPLE.lwo
set -uo pipefail
qkhost=$(realpath "$1") readme=$2 sample=$(realpath "$3")
failures=0

# The example lines: the code block that follows the heading
# "### On the command line", without their comments and the leading "qkhost".
examples() {
  awk '/^### On the command line/ { section = 1 }
       section && /^```sh/ { inside = 1; next }
       inside && /^```/ { exit }
       inside { sub(/[ \t]*#.*/, ""); sub(/^qkhost /, ""); print }' "$readme"
}

# Runs qkhost in the scratch folder with its settings there; prints what it
# printed, both streams, into out.txt and returns its exit status.
host() { (cd "$work" && "$qkhost" --settings "$work/settings" "$@") >"$work/out.txt" 2>&1; }

# Runs qkhost at a terminal that types `typed`, as an artist at the panel.
at_terminal() {
  local typed=$1
  shift
  (cd "$work" && printf '%s\n' "$typed" |
    script -qec "$(printf '%q ' "$qkhost" --settings "$work/settings" "$@")" /dev/null) >"$work/out.txt" 2>&1
}

said() { grep -qF -- "$1" "$work/out.txt"; }
same() { cmp -s "$sample" "$1"; }
count() { find "$work/$1" -maxdepth 1 -type f -name "$2" 2>/dev/null | wc -l; }
quietly() { host "$@" || { echo "preparing with: $*"; cat "$work/out.txt"; return 1; }; }

# A 3 MB object whose 7z backup steps the monitor more than three times.
big_object() { head -c 3000000 /dev/urandom >"$work/Robot.lwo"; cp "$work/Robot.lwo" "$work/big.lwo"; }

# One row an example: prepares the folder, runs the example (its exit
# status in $status) and checks the claimed outcome. Clears `known` for an
# example without a row.
check() {
  local args=$1 status
  case "$args" in
    "info")
      host info; status=$?
      [ $status -eq 0 ] && said QK_RevKeeperOpen && said QK_BakKeeper ;;
    "open Robot.lwo edit save edit save")
      host $args; status=$?
      [ $status -eq 0 ] && same "$work/.incr_save/Robot_001.lwo" && [ -f "$work/.incr_save/Robot_002.lwo" ] &&
        ! cmp -s "$work/.incr_save/Robot_001.lwo" "$work/.incr_save/Robot_002.lwo" && [ "$(count .incr_save '*')" -eq 2 ] ;;
    "bak Robot.lwo")
      host $args; status=$?
      [ $status -eq 0 ] && same "$work/.bak_save/Robot.bak1.lwo" ;;
    "configure")
      at_terminal cancel configure; status=$?
      [ $status -eq 0 ] && said "== Incremental Save Options ==" && said "0x8006  Filename Format" &&
        [ ! -e "$work/settings/qk_revkeeper.cfg" ] ;;
    "--panel 0x8006=Name_001.zip --panel ok configure")
      host $args; status=$?
      quietly save Robot.lwo && [ $status -eq 0 ] && unzip -p "$work/.incr_save/Robot_001.zip" | cmp -s "$sample" - ;;
    "--panel 0x8006=Name_001.7z --panel ok configure")
      host $args; status=$?
      quietly save Robot.lwo && [ $status -eq 0 ] && 7zz x -so "$work/.incr_save/Robot_001.7z" 2>/dev/null | cmp -s "$sample" - ;;
    "--panel 0x800A=on --panel 0x800B=5 --panel ok configure")
      host $args; status=$?
      quietly open Robot.lwo edit save edit save edit save edit save edit save edit save edit save &&
        [ $status -eq 0 ] && [ "$(count .incr_save 'Robot_00[34567].lwo')" -eq 5 ] && [ "$(count .incr_save '*')" -eq 5 ] ;;
    "--panel 0x801B=on --panel ok configure")
      host $args; status=$?
      quietly bak Robot.lwo bak && [ $status -eq 0 ] && [ "$(count .bak_save '*')" -eq 0 ] ;;
    "--panel 0x801C=24 --panel 0x801D=30 --panel ok configure")
      host $args; status=$?
      quietly --panel cancel configure && [ $status -eq 0 ] &&
        said "0x801C  Keep Every Backup For (Hours): 24  [0..100000]" &&
        said "0x801D  Keep One Per Day For (Days): 30  [0..100000]" &&
        said "0x8020  Keep Every Backup For (Hours): 0  [0..100000]" &&
        said "Max Number of Files keeps at least the newest N" ;;
    "--abort-after 3 save Robot.lwo")
      quietly --panel 0x8006=Name_001.7z --panel ok configure && big_object
      host $args; status=$?
      [ $status -eq 1 ] && said "Backup cancelled, object not saved" && ! said "[host] saved" &&
        [ "$(count .incr_save '*')" -eq 0 ] && cmp -s "$work/big.lwo" "$work/Robot.lwo" ;;
    "--save-fails 5 save Robot.lwo")
      host $args; status=$?
      [ $status -eq 1 ] && said "Failed to save file" && same "$work/.incr_save/Robot_001.lwo" ;;
    "--no-save-command save Robot.lwo")
      host $args; status=$?
      [ $status -eq 1 ] && said "[error]" && ! said "[host] saved" && [ "$(count .incr_save '*')" -eq 0 ] ;;
    "--trace save Robot.lwo")
      host $args; status=$?
      [ $status -eq 0 ] && said "  > global.fetch(" && said "[host] saved" ;;
    "open-backup Robot.lwo")
      quietly save Robot.lwo
      at_terminal cancel $args; status=$?
      [ $status -eq 0 ] && said "== Open Backup ==" && said "Incremental 001 · " ;;
    "--panel 0x8101=0 --panel ok open-backup Robot.lwo")
      quietly open Robot.lwo save edit save
      host $args; status=$?
      [ $status -eq 0 ] && cmp -s "$work/.incr_save/Robot_002.lwo" "$work/Robot (backup 002).lwo" ;;
    "--no-load-command open-backup Robot.lwo")
      quietly save Robot.lwo
      host $args; status=$?
      [ $status -eq 1 ] && said "host has no LOAD command" && [ "$(count . 'Robot (*')" -eq 0 ] ;;
    "--panel 0x8102=1 --panel ok open-backup Robot.lwo")
      quietly save Robot.lwo
      host $args; status=$?
      [ $status -eq 0 ] && same "$work/.incr_save/Robot_001 (pinned).lwo" && [ "$(count .incr_save '*')" -eq 1 ] ;;
    *)
      known=0 ;;
  esac
}

total=0
while IFS= read -r args; do
  [ -n "$args" ] || continue
  total=$((total + 1))
  work=$(mktemp -d "${TMPDIR:-/tmp}/qk_readme.XXXXXX")
  mkdir "$work/settings"
  cp "$sample" "$work/Robot.lwo" && chmod u+w "$work/Robot.lwo"
  known=1
  if ! check "$args" || [ $known -eq 0 ]; then
    failures=$((failures + 1))
    if [ $known -eq 0 ]; then
      echo "FAIL: qkhost $args: no row checks this README example"
    else
      echo "FAIL: qkhost $args: the outcome differs from the README's claim; it printed:"
      cat "$work/out.txt"
    fi
  fi
  rm -rf "$work"
done < <(examples)
[ "$total" -gt 0 ] || { echo "FAIL: no qkhost example found in $readme"; exit 1; }
echo "$total README examples, $failures failed"
[ "$failures" -eq 0 ]

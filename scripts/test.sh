#!/usr/bin/env bash
# Checks that the plug-in's folders include each other without a cycle,
# then builds and runs the whole test suite: in a normal build; in one with
# AddressSanitizer and UndefinedBehaviorSanitizer (halting at the first
# report); the 7z writer's tests, its rows of the fault table and the
# unchanged saves (whose digest is taken on the reading thread) and a save
# aborted at the monitor (which stops the encoder's threads) in a
# ThreadSanitizer build, where the encoder reads the object on a thread of
# its own (any report fails them; tests/tsan_suppressions.txt lists the
# races inside the LZMA SDK that are harmless); and in the Windows build
# under wine; then the release and Windows suites once more with every
# activation as a host of interface 3 makes it; then the names table under
# four code pages, and the Windows suite as a host of interface 3 under the
# Japanese one; and that the plug-in file and its package are
# reproducible. Then runs each fuzz target for 30 seconds on its corpus.
# Each stage says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Runs one stage: its name, then the command; prints the time it took.
stage() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

linux_suite() {
  scripts/build.sh "$1"
  ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "build/$1" --output-on-failure -j"$jobs"
}

# The longest history (history_size=7) keeps the earlier access's stack of
# a race as often as it can be kept; the suppressions do not depend on it.
tsan_suite() {
  scripts/build.sh tsan
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 history_size=7 suppressions=$PWD/tests/tsan_suppressions.txt" \
    ctest --test-dir build/tsan --output-on-failure -j"$jobs" -R '^SevenZip|^FaultInjectionTest\.EverySevenZip|^SaveFlowTest\.ASaveWithoutAnEdit|^ArchiveSaveFlowTest\.AbortAtTheMonitor'
}

# Prints the failed tests of the last run in build/windows that wine failed
# rather than the test, one name a line: those that ended with no output at
# all (wine dropped the program it started), and those whose every test
# passed before wine's own loader failed an assertion as the process ended.
dropped_tests() {
  local temp=build/windows/Testing/Temporary
  awk 'FNR == NR { sub(/^[0-9]+:/, ""); failed[$0] = 1; next }
       /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name) }
       /^Output:$/ { getline; output = ""; reading = 1; next }
       reading && /^<end of output>$/ {
         reading = 0
         dropped = output !~ /[^ \t]/
         teardown = output ~ /\[  PASSED  \]/ && output !~ /\[  FAILED  \]/ && output ~ /Inconsistency detected by ld\.so/
         if ((name in failed) && (dropped || teardown)) print name
         next
       }
       reading { output = output $0 }' "$temp/LastTestsFailed.log" "$temp/LastTest.log"
}

# wine now and then drops a program it is starting, which then ends with no
# output at all, or fails in its own loader as a program that passed ends;
# only such a test is run again (up to twice). A test that
# fails with output of its own fails the stage at once, so an intermittent
# real failure is not passed by a lucky rerun.
windows_suite() {
  scripts/build.sh windows
  windows_tests
}

# Runs the Windows build's tests, with CTest's further arguments `$@`.
windows_tests() {
  local filter="" attempt dropped failed
  for attempt in 1 2 3; do
    ctest --test-dir build/windows --output-on-failure -j"$jobs" "$@" ${filter:+-R "$filter"} && return 0
    [ "$attempt" -lt 3 ] || return 1
    dropped=$(dropped_tests)
    failed=$(wc -l < build/windows/Testing/Temporary/LastTestsFailed.log)
    [ -n "$dropped" ] && [ "$(wc -l <<< "$dropped")" -eq "$failed" ] || return 1
    echo "== wine dropped: $(tr '\n' ' ' <<< "$dropped")- running them again"
    filter="^($(paste -sd'|' <<< "$dropped"))\$"
  done
}

# The suites of the release and the Windows build again, with the plug-in
# activated as a host of interface 3 does: every text in the code page. The
# zip test of 4 GiB passes no text through a host, and is left out.
interface3_suites() (
  export QK_TEST_INTERFACE=3
  ctest --test-dir build/release --output-on-failure -j"$jobs" -E FourGibibytes
  windows_tests -E FourGibibytes
)

# The Windows suite once more as a host of interface 3 in a double-byte
# code page, Japanese (932), whose second bytes can look like ASCII; the
# locale is the one scripts/code_pages.sh compiles.
interface3_japanese() (
  export QK_TEST_INTERFACE=3 LOCPATH=$PWD/build/windows/locales LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  windows_tests -E FourGibibytes
)

trap 'scripts/wine.sh --stop' EXIT  # no wine server left behind
total=$SECONDS
stage "folders without an include cycle" scripts/check_folder_cycles.sh
stage "release build and tests" linux_suite release
stage "sanitize build and tests" linux_suite sanitize
stage "tsan build and 7z tests" tsan_suite
stage "windows build and tests under wine" windows_suite
stage "release and windows tests as a host of interface 3" interface3_suites
stage "windows names under four code pages" scripts/code_pages.sh
stage "windows tests as a host of interface 3 under code page 932" interface3_japanese
stage "windows package, built twice" scripts/check_package.sh
stage "fuzzing" scripts/fuzz.sh 30
echo "== all stages: $((SECONDS - total)) s"

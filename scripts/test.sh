#!/usr/bin/env bash
# Builds and runs the whole test suite twice: a normal build, then one
# with AddressSanitizer and UndefinedBehaviorSanitizer (halting at the
# first report); then the 7z writer's tests and its rows of the fault table
# in a ThreadSanitizer build, where the encoder reads the object on a thread
# of its own (any report fails them; tests/tsan_suppressions.txt lists the
# races inside the LZMA SDK that are harmless); then runs each fuzz target
# for 30 seconds on its corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for flavour in release sanitize; do
  echo "== $flavour build"
  scripts/build.sh "$flavour"
  ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "build/$flavour" --output-on-failure -j"$jobs"
done
echo "== tsan build"
scripts/build.sh tsan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan_suppressions.txt" \
  ctest --test-dir build/tsan --output-on-failure -j"$jobs" -R '^SevenZip|^FaultInjectionTest\.EverySevenZip'
scripts/fuzz.sh 30

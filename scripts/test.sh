#!/usr/bin/env bash
# Builds and runs the whole test suite twice: a normal build, then one
# with AddressSanitizer and UndefinedBehaviorSanitizer (halting at the
# first report); then runs each fuzz target for 30 seconds on its corpus.
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
scripts/fuzz.sh 30

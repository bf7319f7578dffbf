#!/usr/bin/env bash
# Builds and runs the whole test suite in three builds: a normal one, one
# with AddressSanitizer and UndefinedBehaviorSanitizer (halting at the
# first report), and the Windows build under wine (which also shows that
# the plug-in file and its package are reproducible); then runs each fuzz
# target for 30 seconds on its corpus. Each stage says how long it took.
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

windows_suite() {
  scripts/build.sh windows
  ctest --test-dir build/windows --output-on-failure -j"$jobs"
}

trap 'scripts/wine.sh --stop' EXIT  # no wine server left behind
total=$SECONDS
stage "release build and tests" linux_suite release
stage "sanitize build and tests" linux_suite sanitize
stage "windows build and tests under wine" windows_suite
stage "windows package, built twice" scripts/check_package.sh
stage "fuzzing" scripts/fuzz.sh 30
echo "== all stages: $((SECONDS - total)) s"

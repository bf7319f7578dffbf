#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build/fuzz and runs each for a bounded
# time on a scratch copy of its seed corpus in fuzz/corpus, so the
# repository is never modified.
#   scripts/fuzz.sh [SECONDS]   seconds per target, 60 when not given
# An input that makes a target fail is kept in build/fuzz/findings/TARGET/;
# the script then exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(settings namer seven_zip_header zip_backup seven_zip_backup)

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DQK_FUZZ=ON -DQK_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}" -- --no-print-directory >/dev/null

base=/dev/shm  # a memory file system keeps the folder-heavy targets fast
[ -d "$base" ] || base=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$base/qk_fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export QK_FUZZ_SCRATCH=$scratch  # the targets' own scratch folders go here too
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1

passed=0 failed=0
for t in "${targets[@]}"; do
  mkdir -p "$scratch/corpus" "$scratch/artifacts/$t"
  cp -r "fuzz/corpus/$t" "$scratch/corpus/$t"
  log=$scratch/$t.log
  if build/fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=30 \
       -artifact_prefix="$scratch/artifacts/$t/" "$scratch/corpus/$t" >"$log" 2>&1; then
    echo "fuzz_$t: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log"), no finding"
    passed=$((passed + 1))
  else
    mkdir -p "build/fuzz/findings/$t"
    cp "$scratch/artifacts/$t/"* "build/fuzz/findings/$t/" 2>/dev/null || true
    tail -n 60 "$log"
    echo "fuzz_$t: FINDING, input kept in build/fuzz/findings/$t/"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Configures and builds one flavour of the project into build/FLAVOUR;
# given targets after the flavour, only those (scripts/build.sh windows QK_RevKeeper).
#   scripts/build.sh release     optimised, with debug information
#   scripts/build.sh sanitize    AddressSanitizer and UndefinedBehaviorSanitizer
#   scripts/build.sh tsan        ThreadSanitizer, optimised as it advises
#   scripts/build.sh windows     the 64-bit Windows DLL build/windows/QK_RevKeeper.p,
#                                qkhost.exe and the tests, cross-built with mingw-w64
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
shift || true
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
case "$flavour" in
  release)  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) flags=(-DCMAKE_BUILD_TYPE=Debug -DQK_SANITIZE=ON) ;;
  tsan)     flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQK_TSAN=ON) ;;
  windows)  flags=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake) ;;
  *) echo "build.sh: unknown flavour $flavour" >&2; exit 2 ;;
esac
cmake -S . -B "build/$flavour" "${flags[@]}" --no-warn-unused-cli >/dev/null
cmake --build "build/$flavour" -j"$(nproc)" "${targets[@]}" -- --no-print-directory >/dev/null

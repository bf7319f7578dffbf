#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the demo and the
# benchmark need, and fetches the Debian source packages whose code the
# build compiles (scripts/fetch_source.sh). Idempotent: quiet when
# everything is present, and runs apt-get update only when something is
# missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake make g++ pkg-config git     # build
  dpkg-dev                          # dpkg-source, to unpack source packages
  zlib1g-dev libminizip-dev          # zip archives
  googletest libgtest-dev            # tests
  7zip unzip zip                     # independent archive readers; benchmark baselines
  python3 python3-py7zr              # Python's zipfile and py7zr read back entry names
  locales                           # the sources of the locales scripts/code_pages.sh compiles
  clang libclang-rt-14-dev           # fuzzing
  mingw-w64 libz-mingw-w64-dev       # the Windows build
  wine64                             # the test suite under Windows
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Sources compiled into the plug-in: the LZMA SDK from 7zip; for the
# Windows build also minizip from zlib.
scripts/fetch_source.sh 7zip >/dev/null
scripts/fetch_source.sh zlib >/dev/null

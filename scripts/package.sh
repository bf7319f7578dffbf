#!/usr/bin/env bash
# Builds the Windows plug-in file and writes the file handed to artists:
#   scripts/package.sh      dist/QK_RevKeeper-VERSION-win64.zip
# holding QK_RevKeeper.p and INSTALL.txt (packaging/INSTALL.txt with
# Windows line ends). Reproducible like the plug-in file: both entries in
# a fixed order, with fixed permissions and the time of the last commit
# (or $SOURCE_DATE_EPOCH), and no extra Unix fields.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh windows QK_RevKeeper
version=$(sed -n 's/^project(QK_RevKeeper VERSION \([0-9]*\.[0-9]*\.[0-9]*\).*/\1/p' CMakeLists.txt)
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

stage=$(mktemp -d "${TMPDIR:-/tmp}/qk_package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
cp build/windows/QK_RevKeeper.p "$stage/QK_RevKeeper.p"
sed 's/$/\r/' packaging/INSTALL.txt > "$stage/INSTALL.txt"
chmod 644 "$stage/QK_RevKeeper.p" "$stage/INSTALL.txt"
export TZ=UTC  # zip keeps local times: the same on every machine
touch -d "@$epoch" "$stage/QK_RevKeeper.p" "$stage/INSTALL.txt"

mkdir -p dist
package=$PWD/dist/QK_RevKeeper-$version-win64.zip
rm -f "$package"  # zip would update an existing archive
(cd "$stage" && zip -q -X -D "$package" QK_RevKeeper.p INSTALL.txt)
echo "$package"

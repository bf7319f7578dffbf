#!/usr/bin/env bash
# Fetches and unpacks one Debian source package into the source cache,
# never touching the machine's apt configuration:
#   scripts/fetch_source.sh PACKAGE     prints the unpacked folder
#
# The cache is $QK_SOURCE_CACHE, else ${XDG_CACHE_HOME:-~/.cache}/qk_revkeeper/sources
# (CMake looks in the same place). A package already unpacked there is used
# as it is, so a second run downloads nothing and works offline.
#
# apt reads a private copy of the machine's Debian entries turned into
# deb-src entries, and keeps its index in a private lists folder; it checks
# every file it downloads against the signed index. The candidate version
# is tried first, then every other version the index lists, newest first
# (a security update's source is not always on the mirror).
set -euo pipefail
package=${1:?usage: fetch_source.sh PACKAGE}
cache=${QK_SOURCE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qk_revkeeper/sources}
target="$cache/$package"
if [ -f "$target/.unpacked" ]; then
  echo "$target"
  exit 0
fi

apt_dir="$cache/apt"
mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache" "$apt_dir/download"
apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/sources"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
[ "$(id -u)" -eq 0 ] && apt_opts+=(-o APT::Sandbox::User=root)

fail() {
  echo "fetch_source: $1" >&2
  echo "fetch_source: check the network and the Debian entries in /etc/apt, then run scripts/setup.sh again" >&2
  exit 1
}

# The machine's Debian entries, as source entries: deb822 files and one-line lists.
rm -f "$apt_dir/sources/"*
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && grep -q '^URIs:.*debian' "$f" || continue
  sed 's/^Types:.*/Types: deb-src/' "$f" > "$apt_dir/sources/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' "$f"
done > "$apt_dir/sources/debian-lines.list"
[ -s "$apt_dir/sources/debian-lines.list" ] || rm "$apt_dir/sources/debian-lines.list"
ls "$apt_dir/sources/"* >/dev/null 2>&1 || fail "no Debian entry found in /etc/apt"

echo "fetch_source: reading the Debian source index" >&2
apt-get "${apt_opts[@]}" -qq update >&2 || fail "apt-get update of the source index failed"

versions=$(apt-cache "${apt_opts[@]}" showsrc "$package" 2>/dev/null |
           sed -n 's/^Version: //p' | sort -u -r -V)
[ -n "$versions" ] || fail "the source index lists no package $package"

download="$apt_dir/download/$package"
fetched=""
for request in "$package" $(printf "$package=%s\n" $versions); do
  rm -rf "$download" && mkdir -p "$download"
  if (cd "$download" && apt-get "${apt_opts[@]}" -qq source --download-only "$request" >&2); then
    fetched=$request
    break
  fi
  echo "fetch_source: $request could not be downloaded; trying the next version" >&2
done
[ -n "$fetched" ] || fail "no version of $package could be downloaded"

rm -rf "$target.new" "$target"
# apt has checked the files against the signed index; dpkg-source checks
# them against the .dsc again and applies Debian's patches.
# (Its note that the signature cannot be checked without Debian's keyring
# is shown only when unpacking fails.)
log=$(dpkg-source -x "$download"/*.dsc "$target.new" 2>&1) || { echo "$log" >&2; fail "unpacking $fetched failed"; }
echo "$fetched" > "$target.new/.unpacked"
mv "$target.new" "$target"
rm -rf "$download"
echo "$target"

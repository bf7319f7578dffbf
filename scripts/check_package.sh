#!/usr/bin/env bash
# Shows that the Windows plug-in file and its package are reproducible and
# hold what they should: writes the package (scripts/package.sh), then
# builds it again from a copy of the checkout in another folder, and
# compares both files byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
package=$(scripts/package.sh)
entries=$(unzip -Z1 "$package" | tr '\n' ' ')
if [ "$entries" != "QK_RevKeeper.p INSTALL.txt " ]; then
  echo "check_package: $package holds $entries" >&2
  exit 1
fi

other=$(mktemp -d "${TMPDIR:-/tmp}/qk_reproduce.XXXXXX")
trap 'rm -rf "$other"' EXIT
git ls-files -z --cached --others --exclude-standard | tar --null -cf - -T - | tar -xf - -C "$other"
(cd "$other" && scripts/package.sh >/dev/null)
for file in build/windows/QK_RevKeeper.p "dist/$(basename "$package")"; do
  if ! cmp "$file" "$other/$file"; then
    echo "check_package: $file differs when built in $other" >&2
    exit 1
  fi
  echo "check_package: $file is the same built in another folder ($(sha256sum < "$file" | cut -c1-16))"
done

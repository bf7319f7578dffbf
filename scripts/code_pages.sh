#!/usr/bin/env bash
# Runs the table of object names in many languages in the Windows build
# (scripts/build.sh windows first) under wine once per ANSI code page:
# 932 (Japanese), 936 (Chinese), 1251 (Cyrillic) and 1252 (Western).
# Wine takes the code page from the locale's name, and spells the Unix
# file names in the locale's character set, which must then exist: the
# four UTF-8 locales are compiled once into build/windows/locales (from
# the `locales` package), so the machine's own locales stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
locales=$PWD/build/windows/locales
mkdir -p "$locales"
for lang in ja_JP zh_CN ru_RU de_DE; do
  [ -d "$locales/$lang.UTF-8" ] || localedef -i "$lang" -f UTF-8 "$locales/$lang.UTF-8"
  echo "== names under $lang.UTF-8"
  LOCPATH=$locales LANG=$lang.UTF-8 LC_ALL=$lang.UTF-8 \
    ctest --test-dir build/windows --output-on-failure -R '^NamesInAnyLanguageTest\.'
done

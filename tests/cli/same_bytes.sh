#!/usr/bin/env bash
# same_bytes.sh NATIVE_LIST WINDOWS_LIST_EXE WINE_RUN
# Lists one tree with the native quillet-list and with quillet-list.exe under Wine, for every
# list type and every print style with sizes, and fails unless the files are identical. Names
# are ASCII, the characters both builds write as the same byte (the native tool writes UTF-8,
# the Windows one the ANSI code page); they include the ones whose order depends on
# upper-casing. Dates are left out: the two builds format them from different regional
# settings. Exits 77 (skipped) when the native build is missing.
set -euo pipefail
native=$1
windows=$2
wine_run=$3
if [ ! -x "$native" ]; then
  echo "skipped: no native quillet-list at $native (build it first: tools/test.sh does)"
  exit 77
fi

work=$(mktemp -d /tmp/quillet-same-bytes.XXXXXX)
trap 'rm -rf "$work"' EXIT
src=$work/src
mkdir -p "$src"
for folder in 10 9 A a2 b B1 Z '[y' _x '~z' 'Long folder name with spaces'; do
  mkdir -p "$src/$folder/inner"
  printf '%s' "$folder" > "$src/$folder/inner/$folder.txt"
  for file in 10.txt 9.txt A.dat a2.dat b B1 Z '[y' _x '~z'; do
    head -c $(( ${#folder} * 37 + ${#file} )) /dev/zero > "$src/$folder/$file"
  done
done
printf '%s' 'a file whose name is too long to fit beside its size in eighty columns.txt' \
  > "$src/a file whose name is too long to fit beside its size in eighty columns, really.txt"
touch "$src/empty"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

failures=0
for type in 0 1 2 3; do
  for style in 0 1 2; do
    flags=(--type "$type" --style "$style" --size --spaces 4 --width 60)
    "$native" "${flags[@]}" "$src" "$work/native.txt"
    bash "$wine_run" "$windows" "${flags[@]}" "$(windows_path "$src")" \
      "$(windows_path "$work/windows.txt")" </dev/null
    if cmp -s "$work/native.txt" "$work/windows.txt"; then
      echo "type $type style $style: identical, $(wc -l < "$work/native.txt") lines"
    else
      echo "type $type style $style: DIFFERENT"
      diff "$work/native.txt" "$work/windows.txt" | head -20 || true
      failures=$((failures + 1))
    fi
  done
done
[ "$failures" -eq 0 ]

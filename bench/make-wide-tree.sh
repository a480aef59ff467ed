#!/usr/bin/env bash
# make-wide-tree.sh DIR FOLDERS FILES
# Makes a flat, wide tree for the benchmarks: FOLDERS folders directly below DIR, each holding
# FILES empty files (names of the same shape as make-tree.sh's). A finished tree is recorded in
# DIR.tree beside it; a later call with the same shape reuses it, another shape rebuilds it. It
# refuses to touch a DIR that it did not make.
set -euo pipefail

if [ $# -ne 3 ] || ! [[ $2 =~ ^[0-9]+$ && $3 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 DIR FOLDERS FILES" >&2
  exit 2
fi
dir=$(realpath -m -- "$1")
folders=$2
files=$3
marker=$dir.tree
want="wide folders=$folders files=$files"

if [ -d "$dir" ] && [ -f "$marker" ] && [ "$(cat "$marker")" = "$want" ]; then
  exit 0
fi
if [ -e "$dir" ]; then
  if [ ! -f "$marker" ]; then
    echo "$0: $dir exists and was not made by this script; not touching it" >&2
    exit 1
  fi
  rm -rf "$dir"
fi
rm -f "$marker"

work=$dir.partial
rm -rf "$work"
mkdir -p "$work"
# Folders first, then their files, each as one batch of calls.
seq -f "$work/folder-%04g" 1 "$folders" | xargs -d '\n' mkdir
awk -v d="$folders" -v f="$files" -v w="$work" 'BEGIN {
  for (i = 1; i <= d; i++)
    for (j = 1; j <= f; j++) printf "%s/folder-%04d/report-%04d.txt\n", w, i, j
}' > "$work.list"
xargs -d '\n' touch < "$work.list"
rm -f "$work.list"
mv "$work" "$dir"
echo "$want" > "$marker"

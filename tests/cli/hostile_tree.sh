#!/usr/bin/env bash
# hostile_tree.sh WINDOWS_LIST_EXE WINE_RUN
# Lists, with quillet-list.exe under Wine, a Linux tree that Windows could not make: links Wine
# does not mark as links (one up the tree, one to the root), names holding '\', and a file
# dated before 1601. The run must end normally, list each of them once at its own level,
# enter none of the links, and give the odd date a placeholder.
set -euo pipefail
windows=$1
wine_run=$2

# tmpfs keeps any date; most disk file systems cannot hold one before 1601.
base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=/tmp
work=$(mktemp -d "$base/quillet-hostile.XXXXXX")
trap 'rm -rf "$work"' EXIT
src=$work/src
mkdir -p "$src/a"
touch "$src/a/file.txt"
ln -s .. "$src/a/up"
ln -s / "$src/root"
printf 'x' > "$src/back\\slash"
mkdir "$src/dir\\with\\bs"
touch "$src/dir\\with\\bs/inner.txt"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
list() {
  bash "$wine_run" "$windows" "$@" "$(windows_path "$src")" "$(windows_path "$work/out.txt")" \
    </dev/null
  tr -d '\r' < "$work/out.txt"
}

expected='   a
      up
      file.txt
   dir\with\bs
   root
   back\slash'
actual=$(list --type 2 --style 0)
if [ "$actual" != "$expected" ]; then
  printf 'links and names: expected\n%s\ngot\n%s\n' "$expected" "$actual"
  exit 1
fi
echo "links and names: listed once each, links not entered"

if touch -d @-20000000000 "$src/old.txt" 2>/dev/null &&
  [ "$(stat -c %Y "$src/old.txt")" = -20000000000 ]; then
  actual=$(list --type 1 --date --style 1)
  if [ "$(printf '%s\n' "$actual" | grep -c '^   old\.txt *(unknown date)$')" != 1 ]; then
    printf 'date before 1601: got\n%s\n' "$actual"
    exit 1
  fi
  echo "date before 1601: placeholder"
else
  echo "date before 1601: not checked, $base cannot hold such a date"
fi

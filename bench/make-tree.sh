#!/usr/bin/env bash
# make-tree.sh DIR N [FILES]
# make-tree.sh DIR FOLDERSxFILES
# Makes a deterministic folder tree of exactly N entries (files and folders, not counting DIR)
# for the benchmarks: 10 to 20 files and 3 to 5 subfolders per folder, filled breadth first,
# so the depth grows like log4(N) (folders 6 deep for 100,000 entries). FILES (a number)
# gives every folder exactly that many files instead, for trees with more folders per entry
# (10 gives one folder per 11 entries). The second form makes a wide tree: FOLDERS folders
# directly below DIR, each holding FILES files. Files get
# one of four sizes (sparse, so they take no disk space) and one of four modification dates.
#
# A finished tree is recorded in DIR.tree beside it; a later call with the same shape reuses it.
# Needs only coreutils, findutils and awk.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ] || ! [[ $2 =~ ^[0-9]+(x[0-9]+)?$ ]] ||
  ! [[ ${3:-1} =~ ^[1-9][0-9]*$ ]] || { [[ $2 == *x* ]] && [ $# -eq 3 ]; }; then
  echo "usage: $0 DIR N [FILES], or $0 DIR FOLDERSxFILES" >&2
  exit 2
fi
dir=$(realpath -m -- "$1")
marker=$dir.tree
# Bump when the layout below changes, so that old trees are rebuilt.
layout=1
wide_folders=0
wide_files=0
if [[ $2 == *x* ]]; then
  wide_folders=${2%x*}
  wide_files=${2#*x}
  entries=$((wide_folders * (wide_files + 1)))
  want="layout=$layout wide=$2"
else
  entries=$2
  want="layout=$layout entries=$entries"
fi
# The default shape keeps the marker it always had, so existing trees stay valid.
files=${3:-}
[ -z "$files" ] || want="$want files=$files"

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
cd "$work"

# One line per entry, parents before children: "D path" or "F class path".
awk -v n="$entries" -v fixed="${files:-0}" -v wide_folders="$wide_folders" \
  -v wide_files="$wide_files" '
  function add_files(folder, id,    count, i, class, stem) {
    count = fixed ? fixed : 10 + (id * 7) % 11
    for (i = 1; i <= count && made < n; i++) {
      class = (id + i) % 4
      stem = names[(id * 3 + i) % 8]
      printf "F %d %s/%s-%04d.%s\n", class, folder, stem, i, exts[(id + i * 5) % 6]
      made++
    }
  }
  BEGIN {
    split("report notes photo data summary invoice letter backup", list, " ")
    for (i = 1; i <= 8; i++) names[i - 1] = list[i]
    split("txt docx jpg csv pdf dat", list, " ")
    for (i = 1; i <= 6; i++) exts[i - 1] = list[i]

    made = 0
    if (wide_folders > 0) {
      for (d = 1; d <= wide_folders; d++) {
        printf "D ./folder-%04d\n", d
        for (f = 1; f <= wide_files; f++)
          printf "F %d ./folder-%04d/%s-%04d.%s\n", (d + f) % 4, d, names[(d * 3 + f) % 8], f,
                 exts[(d + f * 5) % 6]
      }
      exit
    }
    queue[0] = "."; head = 0; tail = 1; ids = 1
    add_files(".", 0)
    while (made < n && head < tail) {
      parent = queue[head]; delete queue[head]; head++
      subs = 3 + (head * 5) % 3
      for (s = 1; s <= subs && made < n; s++) {
        folder = sprintf("%s/section-%02d", parent, s)
        print "D " folder
        made++
        queue[tail++] = folder
        add_files(folder, ids++)
      }
    }
  }' > ../"$(basename "$work")".list

list=../$(basename "$work").list
awk '$1 == "D" { print $2 }' "$list" | xargs -d '\n' mkdir
# truncate creates each file with its size in one call per batch.
sizes=(0 1234 56789 4567890)
dates=("2021-03-14 09:26:53" "2022-11-05 17:45:00" "2023-07-21 06:02:31" "2024-01-09 23:59:59")
for class in 0 1 2 3; do
  awk -v c="$class" '$1 == "F" && $2 == c { print $3 }' "$list" > "$list.$class"
  xargs -d '\n' -r truncate -s "${sizes[$class]}" < "$list.$class"
  xargs -d '\n' -r touch -m -d "${dates[$class]}" < "$list.$class"
  rm -f "$list.$class"
done
rm -f "$list"

cd ..
made=$(find "$work" -mindepth 1 | wc -l)
if [ "$made" -ne "$entries" ]; then
  echo "$0: made $made entries, wanted $entries" >&2
  exit 1
fi
mv "$work" "$dir"
echo "$want" > "$marker"

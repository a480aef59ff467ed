#!/usr/bin/env bash
# Times quillet-list (native Release build) against the fastest tree walkers on the same warm
# trees (find, bfs, fdfind, tree), counts the system calls each makes per folder, and measures
# quillet-list's peak memory at two tree sizes, read-ahead off and on. See bench/README.md for
# the targets.
#
# Environment:
#   QUILLET_BENCH_DIR      where the trees and outputs go (default /tmp/quillet-bench)
#   QUILLET_BENCH_ENTRIES  entries of the deep timing tree and of the small memory tree
#                          (default 100000)
#   QUILLET_BENCH_LARGE    entries of the large memory tree (default 1000000; 0 skips it)
#   QUILLET_BENCH_RUNS     timed runs per command (default 10)
#   QUILLET_BENCH_WIDE     folders and files per folder of the wide tree (default "400 250")
#   QUILLET_LIST           a quillet-list binary to use instead of building one
#   QUILLET_LIST_BEFORE    an earlier quillet-list binary: its default text run is timed
#                          against this one's (the cost of unused filters and formats)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench_dir=${QUILLET_BENCH_DIR:-/tmp/quillet-bench}
entries=${QUILLET_BENCH_ENTRIES:-100000}
large=${QUILLET_BENCH_LARGE:-1000000}
runs=${QUILLET_BENCH_RUNS:-10}
read -r wide_folders wide_files <<< "${QUILLET_BENCH_WIDE:-400 250}"

bash "$root/tools/install-packages.sh" tree jq time valgrind strace bfs fd-find

. "$root/bench/build.sh"
bin=$(native_quillet_list)

out=$bench_dir/out
mkdir -p "$out"
# The deep tree: many small folders (4 files each), where the cost of a folder shows.
deep_dir=$bench_dir/deep-$entries-f4
echo "Making $entries entries, 4 files a folder, in $deep_dir (reused when present)"
bash "$root/bench/make-tree.sh" "$deep_dir" "$entries" 4
wide_dir=$bench_dir/wide-$wide_folders-$wide_files
echo "Making $wide_folders folders of $wide_files files in $wide_dir (reused when present)"
bash "$root/bench/make-tree.sh" "$wide_dir" "${wide_folders}x$wide_files"
# The memory trees: the default shape at two sizes.
small_dir=$bench_dir/tree-$entries
echo "Making $entries entries in $small_dir (reused when present)"
bash "$root/bench/make-tree.sh" "$small_dir" "$entries"
# Warm the inode and dentry caches so that every command reads from memory.
find "$deep_dir" "$wide_dir" "$small_dir" >/dev/null

q="'$bin'"
# timed JSON NAME COMMAND [NAME COMMAND]...: the commands run in turn, one run of each per
# round (alternate.py), so that a load coming and going on a shared machine falls on all alike.
timed() {
  local json=$1
  shift
  echo
  echo "Timing: $(printf '%s ' "$@" | cut -c1-100)..."
  python3 "$root/bench/alternate.py" --warmup 3 --runs "$runs" --export-json "$json" "$@"
}
# names TREE NAME: every walker listing names only into a file.
names() {
  local t="'$1'" name=$2
  timed "$out/$name.json" \
    quillet-list "$q --type 2 $t '$out/$name-quillet.txt'" \
    find "find $t -printf '%d %f\n' > '$out/$name-find.txt'" \
    bfs "bfs $t -printf '%d %f\n' > '$out/$name-bfs.txt'" \
    fdfind "fdfind -uu . $t > '$out/$name-fdfind.txt'" \
    tree "tree -U -a -n -o '$out/$name-tree.txt' $t"
}
names "$deep_dir" deep
names "$wide_dir" wide

t="'$deep_dir'"
timed "$out/details.json" \
  quillet-list "$q --type 2 --size --date $t '$out/details-quillet.txt'" \
  find "find $t -printf '%d %f %s %t\n' > '$out/details-find.txt'" \
  bfs "bfs $t -printf '%d %f %s %t\n' > '$out/details-bfs.txt'" \
  tree "tree -U -a -n -s -D -o '$out/details-tree.txt' $t"

# Read-ahead forced on against off, on the warm deep tree: it must not cost.
timed "$out/read-ahead.json" \
  sequential "QUILLET_READ_AHEAD=0 $q --type 2 $t '$out/ra-off.txt'" \
  forced-on "QUILLET_READ_AHEAD=1 $q --type 2 $t '$out/ra-on.txt'"

# The output formats on the same tree: CSV and JSON carry each entry's size and date, so the
# text format with --size --date is the like-for-like reference; the plain text run is shown
# too. With QUILLET_LIST_BEFORE the first row is the earlier binary's default run.
format_runs=()
if [ -n "${QUILLET_LIST_BEFORE:-}" ]; then
  format_runs+=(text-before "'$QUILLET_LIST_BEFORE' $t '$out/before-names.txt'")
fi
timed "$out/formats.json" \
  "${format_runs[@]}" \
  text "$q $t '$out/quillet-text.txt'" \
  text-details "$q --size --date $t '$out/quillet-text-details.txt'" \
  csv "$q --format csv $t '$out/quillet.csv'" \
  json "$q --format json $t '$out/quillet.json'" \
  excluded "$q --exclude '*.none' --include '*' $t '$out/quillet-filtered.txt'"

# System calls per folder on the deep tree, counted by strace -c -f (threads included).
deep_folders=$(find "$deep_dir" -type d | wc -l)
count_calls() { # NAME COMMAND...: prints "NAME total openat close getdents64 stat fcntl write"
  local name=$1
  shift
  strace -c -f -o "$out/strace-$name.txt" "$@" >/dev/null 2>&1
  awk -v n="$name" -v f="$deep_folders" '
    $1 ~ /^[0-9.]+$/ && $NF == "total" { total = $4 }
    $1 ~ /^[0-9.]+$/ && $NF != "total" { c[$NF] += $4 }
    END {
      printf "%s %.2f %.2f %.2f %.2f %.2f %.2f %.3f\n", n, total / f, c["openat"] / f,
             c["close"] / f, c["getdents64"] / f, (c["newfstatat"] + c["fstat"] + c["statx"]) / f,
             c["fcntl"] / f, c["write"] / f }' "$out/strace-$name.txt"
}
{
  count_calls quillet-list "$bin" --type 2 "$deep_dir" "$out/strace-quillet.txt"
  count_calls find sh -c "find '$deep_dir' -printf '%d %f\n' > '$out/strace-find.txt'"
  count_calls bfs sh -c "bfs '$deep_dir' -printf '%d %f\n' > '$out/strace-bfs.txt'"
  count_calls fdfind sh -c "fdfind -uu . '$deep_dir' > '$out/strace-fdfind.txt'"
  count_calls tree tree -U -a -n -o "$out/strace-tree.txt" "$deep_dir"
} > "$out/syscalls.txt"

# The same work was done: one line per entry (find and bfs add the root, tree a header and a
# total).
echo
echo "Lines written:"
wc -l "$out"/deep-*.txt "$out"/wide-*.txt "$out"/details-*.txt | sed 's/^/  /'

peak_kib() { # TREE READ_AHEAD
  QUILLET_READ_AHEAD=$2 /usr/bin/time -f %M -o "$out/time.txt" \
    "$bin" --type 2 --size --date "$1" "$out/memory.txt"
  cat "$out/time.txt"
}
small_off=$(peak_kib "$small_dir" 0)
small_on=$(peak_kib "$small_dir" 1)
large_off= large_on=
if [ "$large" -gt 0 ]; then
  large_dir=$bench_dir/tree-$large
  echo
  echo "Making $large entries in $large_dir (reused when present)"
  bash "$root/bench/make-tree.sh" "$large_dir" "$large"
  find "$large_dir" >/dev/null
  large_off=$(peak_kib "$large_dir" 0)
  large_on=$(peak_kib "$large_dir" 1)
fi

# table TITLE JSON: each command's figures and quillet-list's median over its median (the
# first row is quillet-list's, or the reference of the table).
table() {
  echo
  echo "== $1"
  printf '  %-14s %9s %9s %9s %9s %9s   %s\n' command "median ms" "mean ms" "min ms" "user ms" \
    "sys ms" "first / this"
  jq -r '.results[] | "\(.command) \(.median) \(.mean) \(.min) \(.user) \(.system)"' "$2" | awk '
    NR == 1 { base = $2 }
    { printf "  %-14s %9.1f %9.1f %9.1f %9.1f %9.1f   %5.2f\n", $1, $2 * 1000, $3 * 1000,
             $4 * 1000, $5 * 1000, $6 * 1000, base / $2 }'
}
echo
echo "uptime at the end: $(uptime)"
table "names only, deep tree ($entries entries in $deep_folders folders)" "$out/deep.json"
table "names only, wide tree ($wide_folders folders of $wide_files files)" "$out/wide.json"
table "with size and date, deep tree" "$out/details.json"
table "read-ahead on the warm deep tree (forced-on / sequential)" "$out/read-ahead.json"
table "quillet-list formats, deep tree" "$out/formats.json"
echo
echo "== System calls per folder, deep tree ($deep_folders folders; strace -c -f)"
awk 'BEGIN { printf "  %-14s %7s %7s %7s %10s %7s %7s %7s\n", "command", "total", "openat",
             "close", "getdents64", "stat", "fcntl", "write" }
     { printf "  %-14s %7s %7s %7s %10s %7s %7s %7s\n", $1, $2, $3, $4, $5, $6, $7, $8 }' \
  "$out/syscalls.txt"
echo
echo "== Peak resident memory of quillet-list --type 2 --size --date (KiB)"
echo "  read-ahead off: $entries entries $small_off${large_off:+, $large entries $large_off}"
echo "  read-ahead on:  $entries entries $small_on${large_on:+, $large entries $large_on}"

# Verdicts against the targets in bench/README.md.
verdict() { # NAME VALUE LIMIT OP: meets when VALUE OP LIMIT
  awk -v n="$1" -v v="$2" -v l="$3" -v op="$4" 'BEGIN {
    ok = (op == "<" ? v < l : v <= l)
    printf "  %-48s %6.2f %s %-4s %s\n", n, v, op, l, ok ? "meets" : "MISSES" }'
}
# ratio JSON A B: A's median over B's.
ratio() {
  jq -r --arg a "$2" --arg b "$3" \
    '([.results[] | select(.command == $a) | .median][0]) / ([.results[] | select(.command == $b) | .median][0])' "$1"
}
calls_of() { awk -v n="$1" '$1 == n { print $2 }' "$out/syscalls.txt"; }
echo
echo "== Targets"
for tree in deep wide; do
  verdict "names, $tree tree: quillet-list / bfs" "$(ratio "$out/$tree.json" quillet-list bfs)" 0.8 "<="
  verdict "names, $tree tree: quillet-list / fdfind -uu" "$(ratio "$out/$tree.json" quillet-list fdfind)" 0.8 "<="
  verdict "names, $tree tree: quillet-list / tree" "$(ratio "$out/$tree.json" quillet-list tree)" 1 "<"
done
verdict "size+date: quillet-list / find" "$(ratio "$out/details.json" quillet-list find)" 0.5 "<="
verdict "system calls per folder: quillet-list - bfs" \
  "$(awk -v a="$(calls_of quillet-list)" -v b="$(calls_of bfs)" 'BEGIN { print a - b }')" 1 "<="
verdict "read-ahead forced on / off, warm tree" "$(ratio "$out/read-ahead.json" forced-on sequential)" 1.1 "<="
verdict "csv / text --size --date" "$(ratio "$out/formats.json" csv text-details)" 1.5 "<="
verdict "json / text --size --date" "$(ratio "$out/formats.json" json text-details)" 1.5 "<="
if [ -n "${QUILLET_LIST_BEFORE:-}" ]; then
  verdict "default text / before" "$(ratio "$out/formats.json" text text-before)" 1.02 "<="
  # Wall time on a shared machine varies by more than 2%; the instructions the program itself
  # executes do not.
  instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" "$deep_dir" "$out/counted.txt" 2>&1 |
      awk '/Collected/ { print $NF }'
  }
  verdict "default text / before, instructions" \
    "$(awk -v a="$(instructions "$bin")" -v b="$(instructions "$QUILLET_LIST_BEFORE")" 'BEGIN { print a / b }')" 1.02 "<="
fi
if [ -n "$large_off" ]; then
  verdict "memory, read-ahead off: $large / $entries entries" \
    "$(awk -v a="$large_off" -v b="$small_off" 'BEGIN { print a / b }')" 1.2 "<="
  verdict "memory, read-ahead on: $large / $entries entries" \
    "$(awk -v a="$large_on" -v b="$small_on" 'BEGIN { print a / b }')" 1.2 "<="
fi

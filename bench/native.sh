#!/usr/bin/env bash
# Times quillet-list (native Release build) against find and tree on the same warm tree, and
# measures its peak memory at two tree sizes. See bench/README.md for the targets.
#
# Environment:
#   QUILLET_BENCH_DIR      where the trees and outputs go (default /tmp/quillet-bench)
#   QUILLET_BENCH_ENTRIES  entries of the timing tree (default 100000)
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

bash "$root/tools/install-packages.sh" hyperfine tree jq time valgrind

. "$root/bench/build.sh"
bin=$(native_quillet_list)

tree_dir=$bench_dir/tree-$entries
out=$bench_dir/out
mkdir -p "$out"
echo "Making $entries entries in $tree_dir (reused when present)"
bash "$root/bench/make-tree.sh" "$tree_dir" "$entries"
wide_dir=$bench_dir/wide-$wide_folders-$wide_files
echo "Making $wide_folders folders of $wide_files files in $wide_dir (reused when present)"
bash "$root/bench/make-tree.sh" "$wide_dir" "${wide_folders}x$wide_files"
# Warm the inode and dentry caches so that every command reads from memory.
find "$tree_dir" "$wide_dir" >/dev/null

# compare TITLE JSON: prints each command's mean and the first command's time over the others'.
compare() {
  local title=$1 json=$2
  echo
  echo "== $title"
  jq -r '.results[] | "\(.command) \(.mean) \(.stddev)"' "$json" | awk '
    NR == 1 { base = $2; name = $1 }
    { printf "  %-14s %8.1f ms  +- %5.1f ms\n", $1, $2 * 1000, $3 * 1000; mean[NR] = $2; cmd[NR] = $1 }
    END {
      for (i = 2; i <= NR; i++)
        printf "  ratio %s / %s = %.2f\n", name, cmd[i], base / mean[i]
    }'
}

# ratio JSON PEER: the first command's mean over PEER's.
ratio() {
  jq -r --arg peer "$2" '(.results[0].mean) / (.results[] | select(.command == $peer) | .mean)' "$1"
}

q="'$bin'"
t="'$tree_dir'"
hyperfine --style basic --warmup 3 --runs "$runs" --export-json "$out/names.json" \
  -n quillet-list "$q --type 2 $t '$out/quillet-names.txt'" \
  -n find "find $t -printf '%d %f\n' > '$out/find-names.txt'" \
  -n tree "tree -U -a -n -o '$out/tree-names.txt' $t"

w="'$wide_dir'"
hyperfine --style basic --warmup 3 --runs "$runs" --export-json "$out/wide.json" \
  -n quillet-list "$q --type 2 $w '$out/quillet-wide.txt'" \
  -n find "find $w -printf '%d %f\n' > '$out/find-wide.txt'"

hyperfine --style basic --warmup 3 --runs "$runs" --export-json "$out/details.json" \
  -n quillet-list "$q --type 2 --size --date $t '$out/quillet-details.txt'" \
  -n find "find $t -printf '%d %f %s %t\n' > '$out/find-details.txt'" \
  -n tree "tree -U -a -n -s -D -o '$out/tree-details.txt' $t"

# The output formats on the same tree: CSV and JSON carry each entry's size and date, so the
# text format with --size --date is the like-for-like reference; the plain text run is shown
# too. With QUILLET_LIST_BEFORE the first row is the earlier binary's default run.
format_runs=()
if [ -n "${QUILLET_LIST_BEFORE:-}" ]; then
  format_runs+=(-n text-before "'$QUILLET_LIST_BEFORE' $t '$out/before-names.txt'")
fi
hyperfine --style basic --warmup 3 --runs "$runs" --export-json "$out/formats.json" \
  "${format_runs[@]}" \
  -n text "$q $t '$out/quillet-text.txt'" \
  -n text-details "$q --size --date $t '$out/quillet-text-details.txt'" \
  -n csv "$q --format csv $t '$out/quillet.csv'" \
  -n json "$q --format json $t '$out/quillet.json'" \
  -n excluded "$q --exclude '*.none' --include '*' $t '$out/quillet-filtered.txt'"

# The same work was done: one line per entry (find adds the root, tree a header and a total).
echo
echo "Lines written:"
wc -l "$out"/quillet-names.txt "$out"/find-names.txt "$out"/tree-names.txt \
  "$out"/quillet-details.txt "$out"/find-details.txt "$out"/tree-details.txt \
  "$out"/quillet-wide.txt "$out"/find-wide.txt | sed 's/^/  /'

peak_kib() {
  /usr/bin/time -f %M -o "$out/time.txt" "$bin" --type 2 --size --date "$1" "$out/memory.txt"
  cat "$out/time.txt"
}
small_kib=$(peak_kib "$tree_dir")
large_kib=
if [ "$large" -gt 0 ]; then
  large_dir=$bench_dir/tree-$large
  echo
  echo "Making $large entries in $large_dir (reused when present)"
  bash "$root/bench/make-tree.sh" "$large_dir" "$large"
  find "$large_dir" >/dev/null
  large_kib=$(peak_kib "$large_dir")
fi

compare "quillet-list --type 2 vs find and tree, $entries entries" "$out/names.json"
compare "quillet-list --type 2 vs find, wide tree ($wide_folders folders of $wide_files files)" "$out/wide.json"
compare "quillet-list --type 2 --size --date vs find and tree, $entries entries" "$out/details.json"
compare "quillet-list formats, $entries entries" "$out/formats.json"
echo
echo "== Peak resident memory of quillet-list --type 2 --size --date"
echo "  $entries entries: $small_kib KiB"
if [ -n "$large_kib" ]; then
  echo "  $large entries: $large_kib KiB"
  awk -v a="$large_kib" -v b="$small_kib" 'BEGIN { printf "  ratio = %.2f\n", a / b }'
fi

# Verdicts against the targets in bench/README.md.
verdict() { # NAME VALUE LIMIT: meets when VALUE < LIMIT (or <= for the "at most" targets)
  awk -v n="$1" -v v="$2" -v l="$3" -v op="$4" 'BEGIN {
    ok = (op == "<" ? v < l : v <= l)
    printf "  %-44s %6.2f %s %-4s %s\n", n, v, op, l, ok ? "meets" : "MISSES" }'
}
echo
echo "== Targets"
verdict "names: quillet-list / tree" "$(ratio "$out/names.json" tree)" 1 "<"
verdict "names: quillet-list / find" "$(ratio "$out/names.json" find)" 1.3 "<="
verdict "names, wide tree: quillet-list / find" "$(ratio "$out/wide.json" find)" 1.3 "<="
verdict "size+date: quillet-list / tree" "$(ratio "$out/details.json" tree)" 1 "<"
verdict "size+date: quillet-list / find" "$(ratio "$out/details.json" find)" 0.6 "<="
# mean_of JSON NAME: a command's mean time.
mean_of() { jq -r --arg n "$2" '.results[] | select(.command == $n) | .mean' "$1"; }
over() { awk -v a="$(mean_of "$out/formats.json" "$1")" -v b="$(mean_of "$out/formats.json" "$2")" 'BEGIN { print a / b }'; }
verdict "csv / text --size --date" "$(over csv text-details)" 1.5 "<="
verdict "json / text --size --date" "$(over json text-details)" 1.5 "<="
if [ -n "${QUILLET_LIST_BEFORE:-}" ]; then
  verdict "default text / before" "$(over text text-before)" 1.02 "<="
  # Wall time on a shared machine varies by more than 2%; the instructions the program itself
  # executes do not.
  instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" "$tree_dir" "$out/counted.txt" 2>&1 |
      awk '/Collected/ { print $NF }'
  }
  verdict "default text / before, instructions" \
    "$(awk -v a="$(instructions "$bin")" -v b="$(instructions "$QUILLET_LIST_BEFORE")" 'BEGIN { print a / b }')" 1.02 "<="
fi
if [ -n "$large_kib" ]; then
  verdict "memory: $large / $entries entries" "$(awk -v a="$large_kib" -v b="$small_kib" 'BEGIN { print a / b }')" 1.2 "<="
fi

#!/usr/bin/env bash
# Times a Write File run from the main window (the real frmMain under Wine, driven in-process
# by window_run_driver.exe) over a 100,000-entry tree against quillet-list.exe on the same tree
# and options (list type 2, default layout). Reports the ratio and the longest gap between two
# yield points of the window's run, as the driver measures it around the window's yield point.
#
# Environment:
#   QUILLET_BENCH_DIR      where the tree and outputs go (default /tmp/quillet-bench); a path
#                          without spaces (Wine sees it through drive Z:)
#   QUILLET_BENCH_ENTRIES  entries of the tree (default 100000)
#   QUILLET_BENCH_RUNS     runs of each side; the fastest counts (default 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench_dir=${QUILLET_BENCH_DIR:-/tmp/quillet-bench}
entries=${QUILLET_BENCH_ENTRIES:-100000}
runs=${QUILLET_BENCH_RUNS:-3}
build=$root/build/bench-window-win

case $bench_dir in
  *\ *) echo "$0: QUILLET_BENCH_DIR must not contain spaces" >&2; exit 2 ;;
  /*) ;;
  *) echo "$0: QUILLET_BENCH_DIR must be an absolute path" >&2; exit 2 ;;
esac

bash "$root/tools/install-packages.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j 2 --target quillet-list window_run_driver

# A prefix of the benchmark's own (null graphics driver), so that no test run shares it.
export QUILLET_WINEPREFIX=$build/bench-wineprefix
run=$root/cmake/wine-run.sh
"$run" cmd /c exit

tree_dir=$bench_dir/tree-$entries
out=$bench_dir/out
mkdir -p "$out"
echo "Making $entries entries in $tree_dir (reused when present)"
bash "$root/bench/make-tree.sh" "$tree_dir" "$entries"
find "$tree_dir" >/dev/null

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
win_tree=$(windows_path "$tree_dir")

best_window=""
best_log=""
for i in $(seq "$runs"); do
  result=$("$run" "$build/bench/window_run_driver.exe" "$win_tree" \
        "$(windows_path "$out/window.txt")" | tr -d '\r')
  ms=$(sed -n 1p <<<"$result")
  line=$(sed -n 2p <<<"$result")
  echo "window run $i: ${ms} ms from the press to the question; $line"
  if [ -z "$best_window" ] || awk -v a="$ms" -v b="$best_window" 'BEGIN{exit !(a<b)}'; then
    best_window=$ms
    best_log=$line
  fi
done

best_cli=""
for i in $(seq "$runs"); do
  start=$(date +%s%N)
  "$run" "$build/cli/quillet-list.exe" --type 2 "$win_tree" "$(windows_path "$out/cli.txt")"
  end=$(date +%s%N)
  ms=$(awk -v s="$start" -v e="$end" 'BEGIN{printf "%.1f", (e-s)/1e6}')
  echo "quillet-list.exe run $i: ${ms} ms (whole process, Wine start included)"
  if [ -z "$best_cli" ] || awk -v a="$ms" -v b="$best_cli" 'BEGIN{exit !(a<b)}'; then best_cli=$ms; fi
done

if cmp -s "$out/window.txt" "$out/cli.txt"; then
  same="identical"
else
  same="DIFFERENT"
fi
echo
echo "Entries: $entries; listing files $same ($(wc -l <"$out/cli.txt") lines)"
echo "Window (press to question): $best_window ms; quillet-list.exe: $best_cli ms"
awk -v w="$best_window" -v c="$best_cli" 'BEGIN{printf "Ratio window / console: %.2f\n", w/c}'
echo "Window's own timing of its fastest run: $best_log"
awk -v w="$best_window" -v c="$best_cli" 'BEGIN {
  r = w / c
  printf "\n== Target\n  %-44s %6.2f <= 1.15 %s\n", "window / quillet-list.exe", r,
         r <= 1.15 ? "meets" : "MISSES" }'

#!/usr/bin/env bash
# Times quillet-list.exe (cross-built, Release) under Wine against Wine's own
# `cmd /c dir /s /b` on the same warm tree. See bench/README.md for the target.
#
# Environment:
#   QUILLET_BENCH_DIR      where the tree and outputs go (default /tmp/quillet-bench); Wine
#                          sees it through drive Z:, so it must be a path without spaces
#   QUILLET_BENCH_ENTRIES  entries of the tree (default 20000)
#   QUILLET_BENCH_RUNS     timed runs per command (default 10)
#   QUILLET_LIST_EXE       a quillet-list.exe to use instead of building one
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench_dir=${QUILLET_BENCH_DIR:-/tmp/quillet-bench}
entries=${QUILLET_BENCH_ENTRIES:-20000}
runs=${QUILLET_BENCH_RUNS:-10}
build=$root/build/windows

case $bench_dir in
  /*\ * | *\ *) echo "$0: QUILLET_BENCH_DIR must not contain spaces" >&2; exit 2 ;;
  /*) ;;
  *) echo "$0: QUILLET_BENCH_DIR must be an absolute path" >&2; exit 2 ;;
esac

bash "$root/tools/install-packages.sh" hyperfine jq

if [ -n "${QUILLET_LIST_EXE:-}" ]; then
  exe=$QUILLET_LIST_EXE
else
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$build" -j 2 --target quillet-list
  exe=$build/cli/quillet-list.exe
fi

# A prefix of the benchmark's own, so that it never waits on a test run's wineserver.
export QUILLET_WINEPREFIX=$build/bench-wineprefix
run=$root/cmake/wine-run.sh

tree_dir=$bench_dir/tree-$entries
out=$bench_dir/out
mkdir -p "$out"
echo "Making $entries entries in $tree_dir (reused when present)"
bash "$root/bench/make-tree.sh" "$tree_dir" "$entries"
find "$tree_dir" >/dev/null

# Wine maps / to drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
win_tree=$(windows_path "$tree_dir")
win_out=$(windows_path "$out")

echo "Preparing the Wine prefix $QUILLET_WINEPREFIX"
"$run" cmd /c exit

hyperfine --style basic --warmup 2 --runs "$runs" --export-json "$out/wine.json" \
  -n quillet-list.exe "'$run' '$exe' --type 2 '$win_tree' '$win_out\\wine-quillet.txt'" \
  -n "cmd-dir" "'$run' cmd /c 'dir /s /b $win_tree > $win_out\\wine-dir.txt'" \
  -n "wine-start" "'$run' cmd /c exit"

echo
echo "Lines written:"
wc -l "$out/wine-quillet.txt" "$out/wine-dir.txt" | sed 's/^/  /'

echo
echo "== quillet-list.exe --type 2 vs cmd /c dir /s /b under Wine, $entries entries"
jq -r '.results[] | "\(.command) \(.mean) \(.stddev)"' "$out/wine.json" | awk '
  { printf "  %-18s %8.1f ms  +- %5.1f ms\n", $1, $2 * 1000, $3 * 1000; mean[$1] = $2 }
  END {
    r = mean["quillet-list.exe"] / mean["cmd-dir"]
    printf "  ratio quillet-list.exe / cmd-dir = %.3f (cmd-dir takes %.1fx as long)\n", r, 1 / r
    printf "  (wine-start: starting a Windows process at all; both commands include it)\n"
    printf "\n== Target\n  %-44s %6.3f <= 0.1  %s\n", "quillet-list.exe / cmd-dir", r,
           r <= 0.1 ? "meets" : "MISSES"
  }'

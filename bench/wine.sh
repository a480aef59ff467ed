#!/usr/bin/env bash
# Times quillet-list.exe (cross-built, Release) under Wine against the floor, bench/bare_walk.cpp
# (a FindFirstFileExW walk that only counts), and against Wine's own `cmd /c dir /s /b`, on the
# same warm tree. See bench/README.md for the targets.
#
# Environment:
#   QUILLET_BENCH_DIR      where the tree and outputs go (default /tmp/quillet-bench); Wine
#                          sees it through drive Z:, so it must be a path without spaces
#   QUILLET_BENCH_ENTRIES  entries of the tree (default 100000)
#   QUILLET_BENCH_RUNS     timed runs per command (default 5)
#   QUILLET_LIST_EXE       a quillet-list.exe to use instead of building one
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench_dir=${QUILLET_BENCH_DIR:-/tmp/quillet-bench}
entries=${QUILLET_BENCH_ENTRIES:-100000}
runs=${QUILLET_BENCH_RUNS:-5}
build=$root/build/windows

case $bench_dir in
  /*\ * | *\ *) echo "$0: QUILLET_BENCH_DIR must not contain spaces" >&2; exit 2 ;;
  /*) ;;
  *) echo "$0: QUILLET_BENCH_DIR must be an absolute path" >&2; exit 2 ;;
esac

bash "$root/tools/install-packages.sh" jq

. "$root/bench/build.sh"
exe=$(windows_quillet_list "$build")

# The floor, built with the same compiler and flags as the program.
bare=$build/bench/bare-walk.exe
mkdir -p "$build/bench"
x86_64-w64-mingw32-g++-posix -O2 -std=c++20 -municode -static -DUNICODE -D_UNICODE \
  -o "$bare" "$root/bench/bare_walk.cpp"

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

# The commands in turn, one run of each per round (see alternate.py).
python3 "$root/bench/alternate.py" --warmup 2 --runs "$runs" --export-json "$out/wine.json" \
  quillet-list.exe "'$run' '$exe' --type 2 '$win_tree' '$win_out\\wine-quillet.txt'" \
  bare-walk "'$run' '$bare' '$win_tree' > '$out/wine-bare.txt'" \
  cmd-dir "'$run' cmd /c 'dir /s /b $win_tree > $win_out\\wine-dir.txt'" \
  wine-start "'$run' cmd /c exit"

echo
echo "Lines written:"
wc -l "$out/wine-quillet.txt" "$out/wine-dir.txt" | sed 's/^/  /'
echo "  $(cat "$out/wine-bare.txt") entries counted by bare-walk"

echo
echo "uptime at the end: $(uptime)"
echo
echo "== quillet-list.exe --type 2 vs the bare walk and cmd /c dir /s /b under Wine, $entries entries"
jq -r '.results[] | "\(.command) \(.mean) \(.stddev) \(.median)"' "$out/wine.json" | awk '
  { printf "  %-18s mean %8.1f ms  +- %5.1f ms  median %8.1f ms\n", $1, $2 * 1000, $3 * 1000, $4 * 1000
    median[$1] = $4 }
  END {
    floor = median["quillet-list.exe"] / median["bare-walk"]
    r = median["quillet-list.exe"] / median["cmd-dir"]
    printf "  ratio quillet-list.exe / bare-walk = %.3f (medians)\n", floor
    printf "  ratio quillet-list.exe / cmd-dir = %.3f (medians)\n", r
    printf "  (wine-start: starting a Windows process at all; every command includes it)\n"
    printf "\n== Targets\n"
    printf "  %-44s %6.3f <= 1.10 %s\n", "quillet-list.exe / bare-walk", floor,
           floor <= 1.10 ? "meets" : "MISSES"
    printf "  %-44s %6.3f <= 0.1  %s\n", "quillet-list.exe / cmd-dir", r,
           r <= 0.1 ? "meets" : "MISSES"
  }'

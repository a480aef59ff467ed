#!/usr/bin/env bash
# The HTML format and --totals at 1,000,000 entries (1,000 folders of 1,000 files), and the
# page they make in headless Chromium. See bench/README.md for the targets.
#
# Environment:
#   QUILLET_BENCH_DIR     where the tree and outputs go (default /tmp/quillet-bench)
#   QUILLET_BENCH_ROUNDS  rounds of the alternating timing (default 10)
#   QUILLET_BENCH_SHAPE   FOLDERSxFILES of the tree (default 1000x1000)
#   QUILLET_LIST          a quillet-list binary to use instead of building one
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench_dir=${QUILLET_BENCH_DIR:-/tmp/quillet-bench}
rounds=${QUILLET_BENCH_ROUNDS:-10}
shape=${QUILLET_BENCH_SHAPE:-1000x1000}

bash "$root/tools/install-packages.sh" hyperfine jq

. "$root/bench/build.sh"
bin=$(native_quillet_list)

tree_dir=$bench_dir/tree-$shape
out=$bench_dir/out
mkdir -p "$out"
echo "Making $shape entries in $tree_dir (reused when present)"
bash "$root/bench/make-tree.sh" "$tree_dir" "$shape"
find "$tree_dir" >/dev/null  # warm the caches

echo "Load before: $(uptime)"
# The three runs alternate, one of each per round, so that a change in the machine's load
# falls on all of them alike; hyperfine times each run.
names=(json html json-totals)
commands=("$bin --format json $tree_dir $out/page.json"
          "$bin --format html $tree_dir $out/page.html"
          "$bin --format json --totals $tree_dir $out/page-totals.json")
for ((round = 1; round <= rounds; ++round)); do
  hyperfine -N --runs 1 --export-json "$out/page-round-$round.json" \
    -n json "${commands[0]}" -n html "${commands[1]}" -n json-totals "${commands[2]}" >/dev/null
done
echo "Load after the timing: $(uptime)"

# Mean and spread of each command over the rounds.
stats() {
  local name=$1
  jq -s --arg name "$name" '[.[].results[] | select(.command == $name) | .mean] |
    (add / length) as $mean |
    {mean: $mean, sd: ((map(. - $mean | . * .) | add) / length | sqrt), n: length}' \
    "$out"/page-round-*.json
}
json_mean=$(stats json | jq .mean)
size() { stat -c %s "$1"; }
printf '\n| run | mean s | +- s | / json | output bytes | / json |\n| --- | ---: | ---: | ---: | ---: | ---: |\n'
for i in 0 1 2; do
  s=$(stats "${names[$i]}")
  file=$out/page.json
  [ "$i" = 1 ] && file=$out/page.html
  [ "$i" = 2 ] && file=$out/page-totals.json
  jq -r --argjson json "$json_mean" --arg name "${names[$i]}" --arg bytes "$(size "$file")" \
    --arg jsonbytes "$(size "$out/page.json")" \
    '"| \($name) | \(.mean * 1000 | round / 1000) | \(.sd * 1000 | round / 1000) | \(.mean / $json * 100 | round / 100) | \($bytes) | \(($bytes | tonumber) / ($jsonbytes | tonumber) * 100 | round / 100) |"' <<< "$s"
done
rm -f "$out"/page-round-*.json

# The page in the browser: playwright-core as the tests install it.
node_dir=$root/build/bench/page-node
bash "$root/tests/page/install_driver.sh" "$node_dir"
printf "\\nIn headless Chromium (%s), three openings:\\n" "$(chromium --version 2>/dev/null)"
printf '| opening | first level drawn ms | a later frame ms | first-level rows | search ms: report-0999, photo, DATA-0500, zzz | JS heap MB | elements |\n| --- | ---: | ---: | ---: | --- | ---: | ---: |\n'
for opening in 1 2 3; do
  QUILLET_PAGE_NODE=$node_dir QUILLET_CHROMIUM=$(command -v chromium) PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 \
    node "$root/bench/page_timing.mjs" "$out/page.html" report-0999 photo DATA-0500 zzz |
    jq -r --arg n "$opening" '"| \($n) | \(.firstLevelMs | round) | \(.laterFrameMs | round) | \(.firstLevelRows) | \([.searches[].ms | round] | map(tostring) | join(", ")) | \(.jsHeapBytes / 1e6 | round) | \(.domNodes) |"'
done
echo "Load at the end: $(uptime)"
echo "Targets: html / json at most 1.5 in time and 1.2 in bytes; json-totals / json at most 1.10;"
echo "first level within 2000 ms of opening; each search answered within 300 ms."

#!/usr/bin/env bash
# Times quillet-list (native Release build) against find on a tree seen through a FUSE layer
# that delays every folder listing, as a network share does: 1 ms per listing (a LAN share)
# and 5 ms (a share across a VPN). Checks that quillet-list writes through the layer the
# very bytes it writes for the tree itself, and counts the listings every command made.
# Optionally times quillet-list.exe under Wine on the same layer. See bench/README.md.
#
# Environment:
#   QUILLET_BENCH_DIR       trees, mount points and outputs (default /tmp/quillet-bench;
#                           absolute, no spaces: Wine gets it as Z:\...)
#   QUILLET_BENCH_RUNS      timed runs per command (default 5, after 1 warm-up run)
#   QUILLET_SHARE_CASES     "DELAY_MS:ENTRIES ..." (default "1:22000 5:5500")
#   QUILLET_SHARE_FILES     files in every folder of the trees (default 10: 1 folder per 11
#                           entries, so 22000 entries are about 2000 folders)
#   QUILLET_SHARE_WINE      1 adds quillet-list.exe under Wine (default 0)
#   QUILLET_SHARE_VARIANTS  the quillet-list rows, "NAME:WORDS;NAME:WORDS;..." (default
#                           "quillet-list:"). WORDS of the form VAR=value go into the
#                           command's environment, the others before its arguments; the
#                           first row is the one the others are measured against.
#   QUILLET_LIST, QUILLET_LIST_EXE  binaries to time instead of building them
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench_dir=${QUILLET_BENCH_DIR:-/tmp/quillet-bench}
runs=${QUILLET_BENCH_RUNS:-5}
cases=${QUILLET_SHARE_CASES:-1:22000 5:5500}
files=${QUILLET_SHARE_FILES:-10}
wine=${QUILLET_SHARE_WINE:-0}
variants=${QUILLET_SHARE_VARIANTS:-quillet-list:}

case $bench_dir in
  /*\ * | *\ *) echo "$0: QUILLET_BENCH_DIR must not contain spaces" >&2; exit 2 ;;
  /*) ;;
  *) echo "$0: QUILLET_BENCH_DIR must be an absolute path" >&2; exit 2 ;;
esac
for c in $cases; do
  [[ $c =~ ^[0-9]+:[0-9]+$ ]] || { echo "$0: bad case '$c' in QUILLET_SHARE_CASES" >&2; exit 2; }
done

# Variants: names[i], envs[i] (VAR=value words) and args[i] (option words).
names=() envs=() args=()
IFS=';' read -r -a rows <<<"$variants"
for row in "${rows[@]}"; do
  [ -n "$row" ] || continue
  name=${row%%:*}
  [[ $row == *:* ]] && words=${row#*:} || words=
  [[ $name =~ ^[A-Za-z0-9._+-]+$ ]] || { echo "$0: bad variant name '$name'" >&2; exit 2; }
  e='' a=''
  for w in $words; do
    if [[ $w =~ ^[A-Za-z_][A-Za-z0-9_]*= ]]; then e+=" '$w'"; else a+=" '$w'"; fi
  done
  names+=("$name") envs+=("$e") args+=("$a")
done
[ ${#names[@]} -gt 0 ] || { echo "$0: QUILLET_SHARE_VARIANTS names no row" >&2; exit 2; }

bash "$root/tools/install-packages.sh" fuse3 libfuse3-dev pkg-config

. "$root/bench/build.sh"
bin=$(native_quillet_list)
if [ "$wine" = 1 ]; then
  exe=$(windows_quillet_list "$root/build/windows")
  # The benchmarks' own prefix, so that it never waits on a test run's wineserver.
  export QUILLET_WINEPREFIX=$root/build/windows/bench-wineprefix
  run=$root/cmake/wine-run.sh
  echo "Preparing the Wine prefix $QUILLET_WINEPREFIX"
  "$run" cmd /c exit
fi

layer=$root/build/bench/latency_fs
if [ ! -x "$layer" ] || [ "$root/bench/latency_fs.c" -nt "$layer" ]; then
  mkdir -p "$(dirname "$layer")"
  # shellcheck disable=SC2046 # pkg-config prints several words on purpose
  gcc -O2 -Wall -Wextra -std=c11 "$root/bench/latency_fs.c" $(pkg-config --cflags --libs fuse3) \
    -o "$layer"
fi

out=$bench_dir/out
mnt=$bench_dir/share-mount
log=$out/share-layer.log
mkdir -p "$out"

# The layer runs in the background from mount_layer to unmount_layer; the trap makes sure no
# mount outlives the script, however it ends.
layer_pid=
mount_layer() { # TREE DELAY_MS
  mkdir -p "$mnt"
  if mountpoint -q "$mnt"; then
    echo "$0: $mnt is already a mount point (left by another run?)" >&2
    exit 1
  fi
  "$layer" "$1" "$mnt" "$2" -o ro,fsname=quillet-latency,subtype=latency 2>"$log" &
  layer_pid=$!
  for _ in $(seq 200); do
    mountpoint -q "$mnt" && return 0
    kill -0 "$layer_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "$0: the latency layer did not mount:" >&2
  cat "$log" >&2
  unmount_layer
  exit 1
}
unmount_layer() {
  [ -n "$layer_pid" ] || return 0
  if ! fusermount3 -u "$mnt" 2>/dev/null && mountpoint -q "$mnt"; then
    # Still busy: detach it now and stop the layer, whose open files then fail.
    fusermount3 -uz "$mnt" 2>/dev/null || true
    kill "$layer_pid" 2>/dev/null || true
  fi
  wait "$layer_pid" 2>/dev/null || true
  layer_pid=
}
# Bash runs a trap only once its foreground command ends: the long commands run in the
# background and are waited for, so that a signal stops them and unmounts at once.
child=
in_background() {
  "$@" &
  child=$!
  wait "$child"
  child=
}
trap unmount_layer EXIT
trap '[ -z "$child" ] || kill "$child" 2>/dev/null; exit 130' INT TERM HUP

# Sets listed to the listings one run of COMMAND makes, counted by a fresh layer (not in a
# subshell, so that the traps still hold): count_listings TREE DELAY COMMAND
listed=
count_listings() {
  mount_layer "$1" "$2"
  in_background bash -c "$3" >/dev/null
  unmount_layer
  listed=$(sed -n 's/^listings: //p' "$log")
}

# Wine maps / to drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Replaces the root folder's path with SOURCE, so that outputs of the same tree under two
# roots compare equal exactly when the listings do (today the listing never names its root).
same_listing() { # FILE_A ROOT_A FILE_B ROOT_B
  [ -s "$1" ] && [ -s "$3" ] && cmp -s <(sed "s|$2|SOURCE|g" "$1") <(sed "s|$4|SOURCE|g" "$3")
}

report=$out/share-report.txt
: >"$report"
failed=0
for c in $cases; do
  delay=${c%%:*} entries=${c#*:}
  tree_dir=$bench_dir/share-tree-$entries-f$files
  echo "Making $entries entries, $files files a folder, in $tree_dir (reused when present)"
  bash "$root/bench/make-tree.sh" "$tree_dir" "$entries" "$files"
  folders=$(find "$tree_dir" -type d | wc -l)
  find "$tree_dir" >/dev/null

  # Commands, by row: the quillet-list variants, find, and the Wine variants.
  rows=() cmds=() refs=()
  for i in "${!names[@]}"; do
    o=$out/share-$delay-${names[i]}
    eval "env ${envs[i]} '$bin' ${args[i]} --type 2 --size --date '$tree_dir' '$o-local.txt'"
    rows+=("${names[i]}") refs+=("$o")
    cmds+=("env ${envs[i]} '$bin' ${args[i]} --type 2 --size --date '$mnt' '$o.txt'")
  done
  rows+=(find) refs+=("")
  cmds+=("find '$mnt' -printf '%d %f %s %t\n' > '$out/share-$delay-find.txt'")
  if [ "$wine" = 1 ]; then
    for i in "${!names[@]}"; do
      o=$out/share-$delay-wine-${names[i]}
      eval "env ${envs[i]} '$run' '$exe' ${args[i]} --type 2 --size --date \
        '$(windows_path "$tree_dir")' '$(windows_path "$o-local.txt")'"
      rows+=("wine:${names[i]}") refs+=("$o")
      cmds+=("env ${envs[i]} '$run' '$exe' ${args[i]} --type 2 --size --date \
'$(windows_path "$mnt")' '$(windows_path "$o.txt")'")
    done
    # What starting a Windows process costs at all, which every Wine row includes.
    rows+=(wine-start) refs+=("") cmds+=("'$run' cmd /c exit")
  fi

  echo
  echo "== $delay ms per folder listing: $folders folders, $entries entries"
  mount_layer "$tree_dir" "$delay"
  hf=()
  for i in "${!rows[@]}"; do hf+=(-n "${rows[i]}" "${cmds[i]}"); done
  in_background hyperfine --style basic --warmup 1 --runs "$runs" --export-json "$out/share-$delay.json" "${hf[@]}"
  unmount_layer

  # Listings made, and the outputs compared with those written for the tree itself.
  counts=() checks=()
  for i in "${!rows[@]}"; do
    count_listings "$tree_dir" "$delay" "${cmds[i]}"
    counts+=("$listed")
    if [ -z "${refs[i]}" ]; then
      checks+=("-")
    elif same_listing "${refs[i]}.txt" "$mnt" "${refs[i]}-local.txt" "$tree_dir"; then
      checks+=("identical($(wc -c <"${refs[i]}.txt")B)")
    else
      checks+=("DIFFERENT")
      failed=1
    fi
  done

  {
    echo
    echo "== $delay ms per folder listing: $folders folders, $entries entries ($files files a folder)"
    echo "   sequential floor: $folders listings x $delay ms = $((folders * delay)) ms"
    jq -r '.results[] | "\(.command) \(.mean) \(.stddev) \(.min) \(.max)"' "$out/share-$delay.json" |
      paste -d ' ' - <(printf '%s\n' "${counts[@]}") <(printf '%s\n' "${checks[@]}") | awk '
        { name[NR] = $1; mean[NR] = $2; sd[NR] = $3; lo[NR] = $4; hi[NR] = $5
          count[NR] = $6; check[NR] = $7
          if ($1 == "find") f = $2
          else if ($1 ~ /^wine:/) { if (!w) w = $2 }
          else if ($1 != "wine-start" && !q) q = $2 }
        END {
          printf "   %-22s %9s %8s %17s %8s %8s %9s  %s\n", "command", "mean ms", "+- ms",
                 "min-max ms", "/ find", "/ first", "listings", "bytes vs unmounted tree"
          for (i = 1; i <= NR; i++) {
            first = name[i] ~ /^wine:/ ? w : name[i] ~ /^(find|wine-start)$/ ? 0 : q
            printf "   %-22s %9.1f %8.1f %8.1f-%-8.1f %8.2f %8s %9s  %s\n", name[i],
                   mean[i] * 1000, sd[i] * 1000, lo[i] * 1000, hi[i] * 1000, mean[i] / f,
                   first ? sprintf("%.2f", mean[i] / first) : "-", count[i], check[i]
          }
        }'
  } | tee -a "$report"
done

echo
echo "All tables (also in $report):"
cat "$report"
if [ "$failed" -ne 0 ]; then
  echo "$0: quillet-list wrote different bytes through the layer; outputs in $out" >&2
  exit 1
fi

#!/usr/bin/env bash
# Builds Quillet and starts it. Until the main window lands this runs the console tool on
# the given folder (default: this source tree) and shows the listing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-packages.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target quillet-list
src=${1:-$PWD}
out=${2:-${TMPDIR:-/tmp}/quillet-list.txt}
build/release/cli/quillet-list "$src" "$out"
cat "$out"

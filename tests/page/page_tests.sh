#!/usr/bin/env bash
# page_tests.sh QUILLET_LIST NODE_DIR PICTURES_DIR
# Runs page_test.mjs in headless Chromium: installs playwright-core into NODE_DIR
# (install_driver.sh) and drives Debian's chromium with it. Screenshots of the page go to
# PICTURES_DIR. Exits 77 (skipped) when chromium, node or npm is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$1
node_dir=$2
pictures=$3
chromium=$(command -v chromium || command -v chromium-browser || true)
for need in "$chromium" "$(command -v node || true)" "$(command -v npm || true)"; do
  if [ -z "$need" ]; then
    echo "skipped: the page tests need chromium, node and npm (tools/install-packages.sh installs them)"
    exit 77
  fi
done

mkdir -p "$pictures"
bash "$here/install_driver.sh" "$node_dir"

export QUILLET_LIST=$tool QUILLET_PAGE_NODE=$node_dir QUILLET_PAGE_PICTURES=$pictures
export QUILLET_CHROMIUM=$chromium
# playwright-core must neither fetch a browser nor look for one of its own.
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
exec node --test --test-reporter=tap "$here/page_test.mjs"

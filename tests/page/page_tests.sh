#!/usr/bin/env bash
# page_tests.sh QUILLET_LIST NODE_DIR PICTURES_DIR
# Runs page_test.mjs in headless Chromium: installs playwright-core (pinned by
# package-lock.json beside this script) into NODE_DIR with `npm ci` when it is not there yet,
# and drives Debian's chromium with it (never a browser of playwright's own). Screenshots of
# the page go to PICTURES_DIR. Exits 77 (skipped) when chromium, node or npm is missing.
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

mkdir -p "$node_dir" "$pictures"
if ! cmp -s "$here/package-lock.json" "$node_dir/package-lock.json" ||
  [ ! -f "$node_dir/node_modules/playwright-core/package.json" ]; then
  cp "$here/package.json" "$here/package-lock.json" "$node_dir/"
  (cd "$node_dir" && npm ci --no-audit --no-fund --loglevel=error)
fi

export QUILLET_LIST=$tool QUILLET_PAGE_NODE=$node_dir QUILLET_PAGE_PICTURES=$pictures
export QUILLET_CHROMIUM=$chromium
# playwright-core must neither fetch a browser nor look for one of its own.
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
exec node --test --test-reporter=spec "$here/page_test.mjs"

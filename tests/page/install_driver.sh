#!/usr/bin/env bash
# install_driver.sh NODE_DIR
# Installs playwright-core, pinned by package-lock.json beside this script, into NODE_DIR with
# `npm ci`, unless that exact lock is installed there already. It drives Debian's chromium;
# it never fetches a browser of its own.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
node_dir=$1
mkdir -p "$node_dir"
if ! cmp -s "$here/package-lock.json" "$node_dir/package-lock.json" ||
  [ ! -f "$node_dir/node_modules/playwright-core/package.json" ]; then
  cp "$here/package.json" "$here/package-lock.json" "$node_dir/"
  (cd "$node_dir" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi

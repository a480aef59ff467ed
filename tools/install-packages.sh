#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when missing.
set -euo pipefail
# What the build and the tests need; callers add their own (the benchmarks, the run script).
packages=(cmake g++ make googletest g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
          python3 python3-yaml chromium chromium-driver nodejs "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The page tests install playwright-core with npm: Debian's nodejs comes without it, other
# builds of nodejs bring their own (and conflict with Debian's npm package).
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi

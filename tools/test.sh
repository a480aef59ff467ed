#!/usr/bin/env bash
# Builds everything and runs every test: the portable engine natively (with AddressSanitizer
# and UndefinedBehaviorSanitizer), then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-packages.sh
jobs=$(nproc)

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON >/dev/null
cmake --build build/native -j "$jobs"
(cd build/native && ctest --output-on-failure -j "$jobs")

cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/windows -j "$jobs"
(cd build/windows && ctest --output-on-failure -j "$jobs")

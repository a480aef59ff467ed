# Sourced by the benchmark scripts: builds the console tool they time, unless the caller names
# a binary of its own. Needs $root (the repository).

# Prints the native quillet-list to time: $QUILLET_LIST, or a Release build in build/release.
native_quillet_list() {
  if [ -n "${QUILLET_LIST:-}" ]; then
    echo "$QUILLET_LIST"
    return
  fi
  cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/release" -j 2 --target quillet-list >&2
  echo "$root/build/release/cli/quillet-list"
}

# Prints the quillet-list.exe to time: $QUILLET_LIST_EXE, or a Release cross build in BUILD_DIR.
windows_quillet_list() {
  local build=$1
  if [ -n "${QUILLET_LIST_EXE:-}" ]; then
    echo "$QUILLET_LIST_EXE"
    return
  fi
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$build" -j 2 --target quillet-list >&2
  echo "$build/cli/quillet-list.exe"
}

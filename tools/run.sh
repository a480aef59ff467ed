#!/usr/bin/env bash
# Builds Quillet.exe and starts it under Wine on this display. With no DISPLAY it runs on a
# virtual X server (Xvfb), for example for a screenshot taken with ImageMagick's `import`.
#   bash tools/run.sh [FOLDER]     FOLDER (a Linux or Windows path) fills the source box
set -euo pipefail
cd "$(dirname "$0")/.."
# Liberation Serif stands in for Times New Roman, which Wine lacks (the window's title).
bash tools/install-packages.sh fonts-liberation xvfb
build=build/run-win
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLET_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build "$build" -j "$(nproc)" --target Quillet

# A prefix of its own under build/, with Wine's default (X11) graphics driver.
export WINEPREFIX=$PWD/$build/wineprefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
if [ ! -f "$WINEPREFIX/.quillet-ready" ]; then
  echo "Creating the Wine prefix $WINEPREFIX (once)..."
  wineboot -i >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.quillet-ready"
fi
# The serif faces the windows ask for, mapped to one that is installed (checked every start,
# so that an older prefix gets it too).
for face in "Times New Roman"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "Liberation Serif" /f \
    >/dev/null 2>&1
done

args=()
if [ $# -gt 0 ]; then
  folder=$1
  # A Linux folder becomes its Windows form (Z:\...); Wine quotes it when it holds blanks.
  if [ -d "$folder" ]; then folder=$(winepath -w "$(cd "$folder" && pwd)"); fi
  args=("$folder")
fi

program=$PWD/$build/app/Quillet.exe
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$program" "${args[@]}"
else
  echo "No DISPLAY: starting Quillet on a virtual X server (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$program" "${args[@]}"
fi

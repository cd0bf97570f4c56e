#!/usr/bin/env bash
# Builds the application and the Wayland end-to-end test, and writes what a
# weston of its own shows of the three windows skinned, of the main window
# with the skin off and of the control colour demo while active into
# docs/wayland/ (headless: no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${TAVREL_BUILD_DIR:-build}
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target tst_wayland under_weston tavrelsample TavrelCtl
out=$PWD/docs/wayland
mkdir -p "$out"
rm -f "$out"/*.png
TAVREL_WAYLAND_SHOTS=$out "$build"/bin/under_weston "$build"/bin/tst_wayland

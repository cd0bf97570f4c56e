#!/usr/bin/env bash
# Builds the application, its component and the screenshot tool, and renders
# every window in each colour scheme, active and inactive, at scale 1 and 2
# into docs/screenshots/, and the captions at every scale from 1 to 3, beside
# the nearest-neighbour result, into docs/scales/ (on the offscreen platform:
# no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${TAVREL_BUILD_DIR:-build}
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target tavrel-screenshots tavrelsample
out=docs/screenshots
mkdir -p "$out"
# Only the pictures this script makes: others (a skinned program from the
# install test) live beside them.
rm -f "$out"/mainfrm-*.png "$out"/ctrlcolorfrm-*.png "$out"/cleanfrm-*.png
for scale in 1 2; do
  "$build"/bin/tavrel-screenshots "$out" "$scale"
done
scales=docs/scales
mkdir -p "$scales"
rm -f "$scales"/*.png
"$build"/bin/tavrel-screenshots --scales "$scales"

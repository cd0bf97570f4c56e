#!/usr/bin/env bash
# Builds the whole tree with AddressSanitizer (leak checking on) and
# UndefinedBehaviorSanitizer (build-asan, the asan preset) and runs every
# test on it. Leaks lost inside system libraries are suppressed by
# scripts/lsan-suppressions.txt (the asan test preset sets LSAN_OPTIONS).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset asan >/dev/null
start=$SECONDS
cmake --build --preset asan -j2
echo "test-asan: build took $((SECONDS - start)) s" >&2
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} ctest --preset asan -j2 "$@"

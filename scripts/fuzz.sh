#!/usr/bin/env bash
# Builds the libFuzzer target over the picture and icon decoders and the
# whole skin component in its own build (build-fuzz, clang) and fuzzes it for
# the given number of seconds (default 600) in one process. The corpus grows
# in build-fuzz/corpus and is reused by the next run; crashes land in
# build-fuzz/findings. Seeds come from fuzz/corpus.
#   scripts/fuzz.sh [seconds] [extra libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true

scripts/setup.sh
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVREL_BUILD_FUZZ=ON -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_picture -j2

# The kept seed corpus (fuzz/corpus, read only; fuzz/README.md says what
# each file is) and the corpus the runs grow (build-fuzz/corpus).
seeds=fuzz/corpus
corpus=$build/corpus
findings=$build/findings
mkdir -p "$corpus" "$findings"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
exec nice -n 10 "$build/bin/fuzz_picture" "$corpus" "$seeds" \
  -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
  -artifact_prefix="$findings/" -print_final_stats=1 "$@"

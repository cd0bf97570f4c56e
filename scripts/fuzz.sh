#!/usr/bin/env bash
# Builds the libFuzzer target over the picture and icon decoders in its own
# build (build-fuzz, clang) and fuzzes it for the given number of seconds
# (default 600). The corpus grows in build-fuzz/corpus and is reused by the
# next run; crashes land in build-fuzz/findings. Seeds: the skin picture and
# both icon files, raw and in their stored form (class id + picture stream).
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

seeds=$build/seeds
corpus=$build/corpus
findings=$build/findings
mkdir -p "$seeds" "$corpus" "$findings"

le32() {
  local n=$1
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n & 255)) $((n >> 8 & 255)) \
    $((n >> 16 & 255)) $((n >> 24 & 255)))"
}
# <road byte> <file> <output>: the road byte, then the file as it is stored.
stored_seed() {
  {
    printf "\\x$1"
    printf '\x04\x52\xe3\x0b\x91\x8f\xce\x11\x9d\xe3\x00\xaa\x00\x4b\xb8\x51'
    printf 'lt\x00\x00'
    le32 "$(stat -c %s "$2")"
    cat "$2"
  } >"$3"
}
raw_seed() {
  { printf "\\x$1"; cat "$2"; } >"$3"
}
# Roads: 00 stored picture, 01 bitmap file, 02 stored icon, 03 icon file.
stored_seed 00 skin/resources/tavrelskin.bmp "$seeds/skinpicture.stored"
raw_seed 01 skin/resources/tavrelskin.bmp "$seeds/skinpicture.bmp"
stored_seed 02 forms/CleanFrm/resources/cleanfrm.ico "$seeds/cleanfrm.stored"
raw_seed 03 forms/CleanFrm/resources/cleanfrm.ico "$seeds/cleanfrm.ico"
raw_seed 03 app/resources/tavrelsample.ico "$seeds/tavrelsample.ico"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
exec nice -n 10 "$build/bin/fuzz_picture" "$corpus" "$seeds" \
  -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
  -artifact_prefix="$findings/" -print_final_stats=1 "$@"

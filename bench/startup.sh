#!/usr/bin/env bash
# Start-up to the main window's first painted frame, skinned (the real
# component) against unskinned (the same window, the skin never applied),
# one process per run, the two alternating so that the machine's load falls
# on both alike. Prints the medians and their ratio.
#   bench/startup.sh [runs (default 30)] [build dir (default build-bench)]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-30}
build=${2:-build-bench}
probe=$build/bin/tavrel_bench_startup
[[ -x $probe ]] || { echo "startup.sh: $probe is not built" >&2; exit 1; }
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

run_once() { # prints the run's wall time in microseconds
  local start end
  start=$(date +%s%N)
  if ! "$probe" "$1" >/dev/null 2>"$errors"; then
    echo "startup.sh: '$probe $1' failed:" >&2
    cat "$errors" >&2
    exit 1
  fi
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

errors=$(mktemp)
skinned=$(mktemp)
unskinned=$(mktemp)
trap 'rm -f "$errors" "$skinned" "$unskinned"' EXIT

# Not counted: brings the libraries and fonts into the page cache.
run_once skinned >/dev/null
run_once unskinned >/dev/null
for ((i = 0; i < runs; i++)); do
  if ((i % 2)); then
    run_once unskinned >>"$unskinned"
    run_once skinned >>"$skinned"
  else
    run_once skinned >>"$skinned"
    run_once unskinned >>"$unskinned"
  fi
done

s=$(median <"$skinned")
u=$(median <"$unskinned")
awk -v s="$s" -v u="$u" -v n="$runs" 'BEGIN {
  printf "startup_skinned_median_ms %.2f\n", s / 1000
  printf "startup_unskinned_median_ms %.2f\n", u / 1000
  printf "startup_ratio %.3f\n", s / u
  printf "startup_runs %d\n", n
}'

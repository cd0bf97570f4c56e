#!/usr/bin/env bash
# Start-up to the main window's first painted frame, skinned (the real
# component) against unskinned (the same window, the skin never applied),
# one process per run, the two alternating so that the machine's load falls
# on both alike. Prints the medians of wall time (date +%s%N around the
# process) and of the process's own CPU time, and their ratios.
#   bench/startup.sh [runs (default 30)] [build dir (default build-bench)]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-30}
build=${2:-build-bench}
probe=$build/bin/tavrel_bench_startup
[[ -x $probe ]] || { echo "startup.sh: $probe is not built" >&2; exit 1; }
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

run_once() { # appends the run's wall time to $2 and its CPU time to $3, in microseconds
  local start end output
  start=$(date +%s%N)
  if ! output=$("$probe" "$1" 2>"$errors"); then
    echo "startup.sh: '$probe $1' failed:" >&2
    cat "$errors" >&2
    exit 1
  fi
  end=$(date +%s%N)
  echo $(((end - start) / 1000)) >>"$2"
  awk '$1 == "cpu_us" {print $2}' <<<"$output" >>"$3"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

errors=$(mktemp)
dir=$(mktemp -d)
trap 'rm -rf "$errors" "$dir"' EXIT

# Not counted: brings the libraries and fonts into the page cache.
run_once skinned /dev/null /dev/null
run_once unskinned /dev/null /dev/null
for ((i = 0; i < runs; i++)); do
  if ((i % 2)); then
    run_once unskinned "$dir/unskinned.wall" "$dir/unskinned.cpu"
    run_once skinned "$dir/skinned.wall" "$dir/skinned.cpu"
  else
    run_once skinned "$dir/skinned.wall" "$dir/skinned.cpu"
    run_once unskinned "$dir/unskinned.wall" "$dir/unskinned.cpu"
  fi
done

sw=$(median <"$dir/skinned.wall")
uw=$(median <"$dir/unskinned.wall")
sc=$(median <"$dir/skinned.cpu")
uc=$(median <"$dir/unskinned.cpu")
awk -v sw="$sw" -v uw="$uw" -v sc="$sc" -v uc="$uc" -v n="$runs" 'BEGIN {
  printf "startup_skinned_median_ms %.2f\n", sw / 1000
  printf "startup_unskinned_median_ms %.2f\n", uw / 1000
  printf "startup_ratio %.3f\n", sw / uw
  printf "startup_skinned_cpu_median_ms %.2f\n", sc / 1000
  printf "startup_unskinned_cpu_median_ms %.2f\n", uc / 1000
  printf "startup_cpu_ratio %.3f\n", sc / uc
  printf "startup_runs %d\n", n
}'

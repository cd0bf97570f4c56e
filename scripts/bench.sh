#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench) and runs them all: the
# engine and main-window benchmarks (5 repetitions, interleaved, medians),
# start-up to the first frame (bench/startup.sh) and resident memory with
# one, two and three windows, skinned against unskinned. Prints the table of
# figures with the ratios against the targets and writes it, with the raw
# results, to <build>/bench-results/.
#   scripts/bench.sh [build dir (default build-bench)]
# REPS (default 5), STARTUP_RUNS (default 30) and MEMORY_RUNS (default 5)
# change how often each figure is repeated.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
reps=${REPS:-5}
startup_runs=${STARTUP_RUNS:-30}
memory_runs=${MEMORY_RUNS:-5}

scripts/setup.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVREL_TEST_DIRS=none >/dev/null
cmake --build "$build" -j2 --target tavrelsample TavrelCtl tavrel_bench_engine tavrel_bench_app \
  tavrel_bench_startup tavrel_bench_memory

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
results=$build/bench-results
mkdir -p "$results"
bin=$build/bin

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'); $(uptime)" >&2
for b in engine app; do
  echo "== tavrel_bench_$b" >&2
  "$bin/tavrel_bench_$b" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
    --benchmark_enable_random_interleaving=true \
    --benchmark_out="$results/$b.csv" --benchmark_out_format=csv 2> >(grep -v 'does not support' >&2)
done

echo "== start-up ($startup_runs runs each)" >&2
bench/startup.sh "$startup_runs" "$build" | tee "$results/startup.txt" >&2

echo "== memory ($memory_runs runs each)" >&2
: >"$results/memory.txt"
for ((r = 0; r < memory_runs; r++)); do
  for n in 1 2 3; do
    for mode in skinned unskinned; do
      rss=$("$bin/tavrel_bench_memory" "$mode" "$n" 2>/dev/null | awk '$1 == "rss_kib" {print $2}')
      [[ -n $rss ]] || { echo "bench.sh: tavrel_bench_memory $mode $n failed" >&2; exit 1; }
      echo "$mode $n $rss" >>"$results/memory.txt"
    done
  done
done

# The table: medians of the process's CPU time (all its threads; less
# disturbed by the other work on the machine than wall time, which is given
# beside it). Ratios are taken on CPU time, against the cheaper of the two
# style-sheet rules.
awk -v startup="$results/startup.txt" -v memory="$results/memory.txt" \
    -v machine="$(nproc) x $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')" \
    -v date="$(date -u '+%Y-%m-%d %H:%M UTC')" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" \
    -v commit="$(git rev-parse --short HEAD 2>/dev/null || echo unknown)$(git status --porcelain -- tavrelctl host 2>/dev/null | grep -q . && echo ' + local changes in tavrelctl/ or host/')" \
    -v reps="$reps" -F, '
function us(v, unit) { return unit == "ns" ? v / 1000 : unit == "ms" ? v * 1000 : unit == "s" ? v * 1e6 : v }
function median(list,   n, a, i, j, t) {
  n = split(list, a, " ")
  for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
  return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
}
function row(label, key, target, ratio, verdict) {
  if (!(key in wall)) { printf "| %s | (missing) | | | | |\n", label; missing = 1; return }
  printf "| %s | %.1f | %.1f | %s | %s | %s |\n", label, cpu[key], wall[key], target, ratio, verdict
}
function ok(c) { return c ? "met" : "**missed**" }
/^name,/ { for (i = 1; i <= NF; i++) { h = $i; gsub(/"/, "", h); col[h] = i }; next }
$col["name"] ~ /_median"?$/ {
  name = $col["name"]; gsub(/"/, "", name); sub(/_median$/, "", name); sub(/\/process_time$/, "", name)
  unit = $col["time_unit"]; gsub(/"/, "", unit)
  cpu[name] = us($col["cpu_time"], unit); wall[name] = us($col["real_time"], unit)
  label[name] = $col["label"]; gsub(/"/, "", label[name])
}
END {
  while ((getline line < startup) > 0) { split(line, f, " "); st[f[1]] = f[2] }
  while ((getline line < memory) > 0) { split(line, f, " "); mem[f[1], f[2]] = mem[f[1], f[2]] " " f[3] }
  printf "Machine: %s; date: %s; load average at the end: %s; tree: %s\n", machine, date, load, commit
  printf "Benchmarks: %s repetitions each, interleaved, medians; times in microseconds.\n\n", reps
  print "| figure | CPU us | wall us | target | ratio | |"
  print "|---|---:|---:|---|---:|---|"
  split("371x201 1920x1080 3840x2160", sizes, " ")
  for (i = 0; i < 3; i++) {
    d = "BM_DecorationsPaint/size:" i
    r = "BM_StyleSheetNineSlice/size:" i "/stretch:0"; s = "BM_StyleSheetNineSlice/size:" i "/stretch:1"
    b = "BM_PlainBlit/size:" i
    anchor = cpu[r] < cpu[s] ? cpu[r] : cpu[s]
    ratio = anchor > 0 ? cpu[d] / anchor : 0
    blit = cpu[b] > 0 ? cpu[d] / cpu[b] : 0
    target = i == 2 ? "<= 0.05 x style sheet" : i == 0 ? "<= 0.75 x style sheet" : ""
    row("skin decorations, " sizes[i + 1], d, target,
        sprintf("%.3f (1/%.1f)", ratio, ratio > 0 ? 1 / ratio : 0),
        i == 2 ? ok(ratio <= 0.05) : i == 0 ? ok(ratio <= 0.75) : "")
    row("plain blit of the same pieces, " sizes[i + 1], b, "", "", "")
    printf "| skin decorations over plain blit, %s | | | <= 1.25x | %.2fx | %s |\n", sizes[i + 1], blit, ok(blit <= 1.25)
    row("style-sheet nine-slice (repeat), " sizes[i + 1], r, "", "", "")
    row("style-sheet nine-slice (stretch), " sizes[i + 1], s, "", "", "")
  }
  row("live resize step, CleanFrm skinned", "BM_LiveResize/skinned:1", "", "", "")
  row("live resize step, CleanFrm unskinned", "BM_LiveResize/skinned:0", "", "", "")
  lr = cpu["BM_LiveResize/skinned:0"] > 0 ? cpu["BM_LiveResize/skinned:1"] / cpu["BM_LiveResize/skinned:0"] : 0
  printf "| live resize, skinned over unskinned per step | | | <= 1.10x | %.3fx | %s |\n", lr, ok(lr <= 1.10)
  g = cpu["BM_DecorationsPaint/size:2"] / cpu["BM_DecorationsPaint/size:0"]
  printf "| skin decorations, 3840x2160 over 371x201 (perimeter 10.5x, area 111x) | | | <= 15x | %.1fx | %s |\n", g, ok(g <= 15)
  row("scheme pieces built cold (Dark Blue)", "BM_SchemeBuildCold/scheme:2", "", "", "")
  row("scheme pieces built cold (Green)", "BM_SchemeBuildCold/scheme:3", "", "", "")
  row("scheme switch cold, 371x201 window, without repaint", "BM_SchemeSwitchCold/repaint:0", "", "", "")
  row("scheme switch cold, 371x201 window, with repaint", "BM_SchemeSwitchCold/repaint:1", "", "", "")
  w = cpu["BM_SchemeSwitchWarm/repaint:0"]
  row("scheme switch warm, 371x201 window, without repaint", "BM_SchemeSwitchWarm/repaint:0", "< 50 us", "", ok(w < 50))
  row("scheme switch warm, 371x201 window, with repaint", "BM_SchemeSwitchWarm/repaint:1", "", "", "")
  m = cpu["BM_MainFrmSchemeSwitch/repaint:0"]
  row("MainFrm scheme switch (real plugin), without repaint", "BM_MainFrmSchemeSwitch/repaint:0", "< 50 us", "", ok(m < 50))
  row("MainFrm scheme switch (real plugin), with repaint", "BM_MainFrmSchemeSwitch/repaint:1", "", "", "")
  row("MainFrm ApplySkin + RemoveSkin, without repaint", "BM_MainFrmApplyRemoveSkin/repaint:0", "", "", "")
  row("MainFrm ApplySkin + RemoveSkin, with repaint", "BM_MainFrmApplyRemoveSkin/repaint:1", "", "", "")
  row("decodeStored (framing)", "BM_DecodeStored", "", "", "")
  row("decodeBitmap", "BM_DecodeBitmap", "", "", "")
  row("full load of skinpicture (decode + layout)", "BM_PictureLoadFull", "", "", "")
  row("load of skinpicture already shared", "BM_PictureLoadShared", "", "", "")
  k = "BM_ThreeWindowsSharePicture/iterations:3"
  row("three windows open + close, one shared picture", k, "", "", "")
  printf "\nShared picture, three skinned windows at once: %s\n\n", label[k]
  print "| start-up to first frame | median ms | target | ratio | |"
  print "|---|---:|---|---:|---|"
  printf "| skinned | %s | | | |\n| unskinned | %s | | | |\n", st["startup_skinned_median_ms"], st["startup_unskinned_median_ms"]
  printf "| skinned / unskinned, wall (%s runs each) | | <= 1.15x | %.3fx | %s |\n", st["startup_runs"], st["startup_ratio"], ok(st["startup_ratio"] <= 1.15)
  printf "| skinned, process CPU | %s | | | |\n| unskinned, process CPU | %s | | | |\n", st["startup_skinned_cpu_median_ms"], st["startup_unskinned_cpu_median_ms"]
  printf "| skinned / unskinned, process CPU | | <= 1.15x | %.3fx | %s |\n\n", st["startup_cpu_ratio"], ok(st["startup_cpu_ratio"] <= 1.15)
  print "| windows open | skinned RSS KiB | unskinned RSS KiB | skinned extra KiB | extra for this window KiB | target | |"
  print "|---|---:|---:|---:|---:|---|---|"
  if (missing) print "\nSome figures are missing: see the benchmark output above." > "/dev/stderr"
  prev = 0
  for (n = 1; n <= 3; n++) {
    s = median(mem["skinned", n]); u = median(mem["unskinned", n]); extra = s - u
    if (n == 1) printf "| 1 | %d | %d | %d | %d (component, picture) | | |\n", s, u, extra, extra
    else printf "| %d | %d | %d | %d | %d | <= 1024 | %s |\n", n, s, u, extra, extra - prev, ok(extra - prev <= 1024)
    prev = extra
  }
}' "$results/engine.csv" "$results/app.csv" | tee "$results/table.md"

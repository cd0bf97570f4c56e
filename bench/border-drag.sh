#!/usr/bin/env bash
# A border drag under Xvfb and openbox: CleanFrm's bottom-right corner is
# dragged with the pointer (xdotool) from an outer size of 300 x 200 to
# 1920 x 1080 in 100 steps, once on the skin's own frame and once on
# openbox's frame with the skin removed, in alternating rounds. After each
# step the script waits for the window to finish a frame at least as large
# as that step asks for; the time per step is the time between those
# frames, taken by the window's own clock (bench/DragProbe.cpp). A report,
# not a gate: it includes the X server's, openbox's and xdotool's share.
#   bench/border-drag.sh [rounds (3)] [build dir (build-bench)]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
build=${2:-build-bench}
probe=$build/bin/tavrel_bench_drag
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "border-drag.sh: $tool is missing (scripts/setup.sh)" >&2; exit 2; }
done
[[ -x $probe ]] || { echo "border-drag.sh: build $probe first" >&2; exit 2; }

work=$(mktemp -d)
cleanup() {
  for pid in ${probe_pid:-} ${wm_pid:-} ${x_pid:-}; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [[ -n ${KEEP:-} ]] && echo "border-drag.sh: kept $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT

# -displayfd: the server takes a free display number and tells it.
Xvfb -displayfd 5 -screen 0 2560x1600x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
x_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

steps=100
# One drag, then from the probe's log, per step: the time from the frame
# that answered the step before to the one that answered this step, and
# the window's own share, from its resize to its finished frame.
drag() {
  local mode=$1 log=$work/$1.log
  rm -f "$log"
  "$probe" "$mode" >"$log" 2>"$work/$mode.err" &
  probe_pid=$!
  for _ in $(seq 200); do grep -q '^ready' "$log" 2>/dev/null && break; sleep 0.05; done
  local x y w h cw ch
  read -r _ x y w h cw ch < <(grep '^ready' "$log") || { echo "border-drag.sh: $mode probe not ready" >&2; exit 1; }
  local mw=$((w - cw)) mh=$((h - ch)) # the native frame, or nothing
  # Two pixels inside the outer corner: the skin's corner grip, or the
  # corner handle of openbox's frame.
  xdotool mousemove --sync $((x + w - 2)) $((y + h - 2))
  sleep 0.3
  xdotool mousedown 1
  local i tw th ew eh
  : >"$work/$mode.expect"
  for ((i = 1; i <= steps; i++)); do
    tw=$((300 + (1920 - 300) * i / steps)) th=$((200 + (1080 - 200) * i / steps))
    ew=$((tw - mw)) eh=$((th - mh))
    echo "$ew $eh" >>"$work/$mode.expect"
    xdotool mousemove --sync $((x + tw - 2)) $((y + th - 2))
    for _ in $(seq 1000); do
      awk -v w=$ew -v h=$eh '$1 == "frame" && $3 >= w && $4 >= h { f = 1; exit } END { exit !f }' "$log" && break
      sleep 0.002
    done
  done
  xdotool mouseup 1
  sleep 0.2
  kill "$probe_pid" 2>/dev/null || true
  wait "$probe_pid" 2>/dev/null || true
  probe_pid=
  awk -v mode="$mode" '
    FNR == NR { ew[++n] = $1; eh[n] = $2; next }
    $1 == "resize" { lastResize = $2 }
    $1 == "frame" && k < n && $3 >= ew[k + 1] && $4 >= eh[k + 1] {
      k++
      if (k > 1) print mode, "step", $2 - prevFrame
      print mode, "window", $2 - lastResize
      prevFrame = $2
    }
    END { if (k < n) printf "border-drag.sh: %s: %d of %d steps answered\n", mode, k, n > "/dev/stderr" }
  ' "$work/$mode.expect" "$log" >>"$work/times"
}

: >"$work/times"
for ((r = 0; r < rounds; r++)); do
  for mode in skinned native; do
    drag "$mode"
  done
done
awk '
function median(list,   c, a, i, j, x) {
  c = split(list, a, " ")
  for (i = 1; i <= c; i++) for (j = i + 1; j <= c; j++) if (a[j] + 0 < a[i] + 0) { x = a[i]; a[i] = a[j]; a[j] = x }
  return c % 2 ? a[(c + 1) / 2] : (a[c / 2] + a[c / 2 + 1]) / 2
}
{ t[$1, $2] = t[$1, $2] " " $3; n[$1, $2]++ }
END {
  printf "| border drag, median us | skinned | native frame | ratio |\n|---|---:|---:|---:|\n"
  for (k = 1; k <= 2; k++) {
    what = k == 1 ? "step" : "window"
    s = median(t["skinned", what]); v = median(t["native", what])
    label = what == "step" ? "per step, frame to frame" : "window share, resize to frame"
    # (a ">" among printf arguments is a redirection to awk)
    ratio = 0
    if (v > 0) ratio = s / v
    printf "| %s (%d / %d) | %.0f | %.0f | %.3f |\n", label, n["skinned", what], n["native", what], s, v, ratio
  }
}' "$work/times"

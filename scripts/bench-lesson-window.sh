#!/usr/bin/env bash
# From a double click on a course in TessalClient's main window to the first lesson of
# that course playing in the lesson window, on a demo installation against a reference
# site of its own: cold (the first page of a run, which loads the web engine) once per
# run, and warm (another course in the same run, which closes the first window) several
# times per run. Also where the time goes on the way, as seen from outside the client,
# and the memory held. Runs on an Xvfb display of its own unless DISPLAY names an X
# server. Builds nothing; run after building everything (cmake --build build).
#
#   scripts/bench-lesson-window.sh [build folder]
#     RUNS=n       runs of the client, each with one cold round (default 3)
#     WARM=n       warm rounds per run (default 8: each other demo course once)
#     PAUSE_MS=n   the member's pause before each double click (default 1000)
set -euo pipefail

build=$(realpath "${1:-build}")
bench="$build/bench/client/bench_lesson_window"
[[ -x $bench ]] || { echo "bench-lesson-window: build first" >&2; exit 1; }
runs=${RUNS:-3}
warm=${WARM:-8}
pause_ms=${PAUSE_MS:-1000}

if [[ -z ${DISPLAY:-} ]]; then
  command -v Xvfb >/dev/null || { echo "bench-lesson-window: Xvfb is missing" >&2; exit 1; }
  # Again, on a display of its own that ends with it.
  exec "$(dirname "$0")/../tests/common/gui/web/under_xvfb.sh" "$0" "$build"
fi
export QT_QPA_PLATFORM=xcb

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/install" >/dev/null

for run in $(seq "$runs"); do
  if ! "$bench" "$work/install" "$warm" "$pause_ms" >>"$work/rounds" 2>"$work/run.log"; then
    echo "bench-lesson-window: run $run failed:" >&2
    grep -v -e 'bus.cc' "$work/run.log" | tail -n 20 >&2
    exit 1
  fi
done

awk -v pause="$pause_ms" '
function sort(values, count,   i, j, v) {
  for (i = 2; i <= count; i++) {
    v = values[i]
    for (j = i - 1; j >= 1 && values[j] > v; j--) values[j + 1] = values[j]
    values[j + 1] = v
  }
}
function value(line, name,   n, parts, i, pair) {
  n = split(line, parts, " ")
  for (i = 3; i <= n; i++) {
    split(parts[i], pair, "=")
    if (pair[1] == name) return pair[2] + 0
  }
  return -1
}
function stage(line, name, label) {
  return value(line, name) < 0 ? "" : sprintf("%s %.0f, ", label, value(line, name))
}
function stages(line) {
  return stage(line, "window", "window shown") stage(line, "time", "time asked") \
    stage(line, "mapped", "engine loaded") stage(line, "process", "engine process started") \
    stage(line, "page", "page asked") stage(line, "media", "media asked") \
    sprintf("playing %.0f ms; windows frozen %.0f ms at most (until %.0f ms)", \
      value(line, "playing"), value(line, "frozen"), value(line, "frozen_until"))
}
$1 == "cold" { cold[++colds] = $2; cold_line[colds] = $0; if ($2 > cold_worst) cold_worst = $2 }
$1 == "warm" { warm[++warms] = $2; warm_by[$2] = $0 }
$1 == "memory" {
  if ($2 > client) client = $2
  if ($3 > engine) { engine = $3; processes = $4 }
}
END {
  if (colds == 0 || warms == 0) { print "bench-lesson-window: no rounds" > "/dev/stderr"; exit 1 }
  figures = ""
  for (i = 1; i <= colds; i++) figures = figures sprintf("%s%.1f", (i > 1 ? ", " : ""), cold[i])
  printf "double click to lesson playing, cold (the first page of a run): %s ms in %d runs (target under 2500 ms): %s\n",
    figures, colds, (cold_worst < 2500) ? "met" : "NOT met"
  for (i = 1; i <= colds; i++) printf "  cold run %d, from the double click: %s\n", i, stages(cold_line[i])
  sort(warm, warms)
  median = warm[int(warms / 2) + 1]
  printf "double click to lesson playing, warm (another course, same run): median %.1f ms, worst %.1f ms of %d rounds (target under 1000 ms): %s\n",
    median, warm[warms], warms, (warm[warms] < 1000) ? "met" : "NOT met"
  printf "  median warm round, from the double click: %s\n", stages(warm_by[median])
  printf "peak resident memory: client process %.1f MB (with the bench and its site); engine processes %.1f MB proportional share in %d processes\n",
    client, engine, processes
  printf "(each double click after a pause of %d ms; Xvfb, demo installation)\n", pause
}' "$work/rounds"

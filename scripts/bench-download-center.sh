#!/usr/bin/env bash
# The download center of TessalClient, built in-process by bench_download_center on a
# temporary program folder with the real libxldl.so, on the offscreen platform:
#
# 1. A lesson of SIZE_MIB (1024) random MiB served by a reference site of its own on
#    loopback: the whole client path (Open a lesson, the queue, the engine task, the
#    worker's polls a second apart and its reports, the finished list) against
#    libxldl.so driven alone (bench_download_engine) from the same URL, taking turns for
#    ROUNDS (3) rounds and keeping each one's best. The client path counts until the file
#    is complete under its final name and the course's finished entry shows. Meanwhile a
#    10 ms timer on the GUI thread records how late each tick fires (the worst round).
# 2. LoadList.ini with LESSONS (1000) queued lessons and 10 finished courses: opening the
#    window (both lists restored, the tree's first paint) and saving the lists (the close
#    button; a row's delete button), the median of RUNS (7) client starts.
#
# Builds nothing; run after building tessal-site, xldl, bench_download_engine and
# bench_download_center. SKIP_LESSON=1 or SKIP_LIST=1 leave a part out.
#
#   scripts/bench-download-center.sh [build folder]      (default: build)
set -euo pipefail

build=$(realpath "${1:-build}")
size_mib=${SIZE_MIB:-1024}
rounds=${ROUNDS:-3}
lessons=${LESSONS:-1000}
runs=${RUNS:-7}
site="$build/site/server/tessal-site"
engine_bench="$build/bench/download/bench_download_engine"
center_bench="$build/bench/client/bench_download_center"
library="$build/engines/download/libxldl.so"
data="$build/installation"
for needed in "$site" "$engine_bench" "$center_bench"; do
  [[ -x $needed ]] || { echo "bench-download-center: $needed is not built" >&2; exit 1; }
done
for needed in "$library" "$data/Layout/DownLoad/Tessal_Download.xml"; do
  [[ -f $needed ]] || { echo "bench-download-center: $needed is not built" >&2; exit 1; }
done
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT  # so that a stopped benchmark cleans up too

# The client's program folder lies in the work folder, on the same disk as the engine's.
export TMPDIR="$work"
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == 0 || b < a ? b : a) }'; }
most() { awk -v a="$1" -v b="$2" 'BEGIN { print (b > a ? b : a) }'; }

# Runs a benchmark program in the background (so that a stop reaches it), output to $1.
run() {
  local out=$1
  shift
  "$@" >"$out" 2>"$work/run.err" &
  pids+=($!)
  wait $! || { echo "bench-download-center: $* failed:" >&2; tail -n 20 "$work/run.err" >&2; exit 1; }
}

lesson_part() {
  local lesson=/lessons/7001/bench.tessal
  head -c "$((size_mib * 1048576))" /dev/urandom >"$work/bench.tessal"
  "$site" --base-port 0 --write-site-ini "$work/site.ini" \
    --serve-file "$lesson=$work/bench.tessal" >"$work/site.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 200); do [[ -f $work/site.ini ]] && break; sleep 0.05; done
  [[ -f $work/site.ini ]] || { echo "bench-download-center: the site did not start" >&2; exit 1; }
  local url="http://$(sed -n 's/^Download1=//p' "$work/site.ini")$lesson"
  local bytes engine_best=0 client_best=0 client_line= worst_max=0 worst_p99=0 worst_at=0
  bytes=$(stat -c %s "$work/bench.tessal")
  mkdir -p "$work/out"
  for _ in $(seq "$rounds"); do
    rm -f "$work/out/"*; sync
    run "$work/engine.out" "$engine_bench" "$library" "$url" "$work/out" bench.tessal
    read -r _ size _ _ engine_seconds _ <"$work/engine.out"
    [[ $size == "$bytes" ]] || { echo "engine: short download" >&2; exit 1; }
    cmp -s "$work/out/bench.tessal" "$work/bench.tessal" || { echo "engine: wrong bytes" >&2; exit 1; }
    engine_best=$(least "$engine_best" "$engine_seconds")
    rm -f "$work/out/"*; sync
    # The program checks the bytes itself before it prints.
    run "$work/client.out" "$center_bench" lesson "$data" "$library" "$work/site.ini" "$url" \
      "$work/bench.tessal"
    read -r done _ _ _ _ _ _ late_max late_p99 _ late_at <"$work/client.out"
    if [[ $client_best == 0 ]] || awk -v a="$done" -v b="$client_best" 'BEGIN { exit !(a < b) }'; then
      client_best=$done
      client_line=$(cat "$work/client.out")
    fi
    if awk -v a="$late_max" -v b="$worst_max" 'BEGIN { exit !(a > b) }'; then
      worst_max=$late_max
      worst_at=$late_at
    fi
    worst_p99=$(most "$worst_p99" "$late_p99")
  done
  awk -v mib="$size_mib" -v bytes="$bytes" -v e="$engine_best" -v line="$client_line" \
      -v rounds="$rounds" -v lmax="$worst_max" -v lp99="$worst_p99" -v lat="$worst_at" 'BEGIN {
    split(line, f, " ")
    c = f[1]; open_ms = f[3]; task = f[4]; disk = f[5]; finished = f[6]; ended = f[7]
    printf "1. a %d MiB lesson on loopback, best of %d rounds taking turns\n", mib, rounds
    printf "   libxldl.so alone (until the engine says complete): %7.1f MB/s (%.3f s)\n", bytes / e / 1e6, e
    printf "   client path (Open to the file under its final name and the finished entry): %7.1f MB/s (%.3f s)\n",
      bytes / c / 1e6, c
    printf "     from Open: window made and lesson queued %.0f ms, engine task %.3f s, file complete on disk %.3f s (%.1f MB/s), finished entry %.3f s, worker ended %.3f s\n",
      open_ms, task, disk, bytes / disk / 1e6, finished, ended
    printf "   client path / engine alone: %.0f %% (target at least 90 %%): %s\n", 100 * e / c,
      (e / c >= 0.9) ? "PASS" : "FAIL"
    lag = finished - disk
    printf "   the worker reports each second, but its wait before a poll ends once the engine says the task is\n"
    printf "     complete: the finished entry came %.3f s after the file was complete (%.0f %% of the client path)\n", lag, 100 * lag / c
    printf "   GUI thread event-loop latency during the client path (10 ms timer, worst round): max %.1f ms (from %.3f s after Open), p99 %.1f ms (target under 50 ms): %s\n",
      lmax, lat, lp99, (lmax < 50) ? "PASS" : "FAIL"
  }'
}

list_part() {
  run "$work/list.out" "$center_bench" list "$data" "$library" "$lessons" "$runs"
  read -r open close remove open_min open_max close_min close_max remove_min remove_max \
    loading finished <"$work/list.out"
  awk -v o="$open" -v c="$close" -v d="$remove" -v omin="$open_min" -v omax="$open_max" \
      -v cmin="$close_min" -v cmax="$close_max" -v dmin="$remove_min" -v dmax="$remove_max" \
      -v n="$loading" -v f="$finished" -v runs="$runs" 'BEGIN {
    printf "2. a list of %d queued lessons and %d finished courses, median of %d client starts (least to greatest)\n", n, f, runs
    printf "   Open(kWindow): window made, both lists restored, the tree painted: %.1f ms (%.1f to %.1f) (target under 200 ms): %s\n",
      o, omin, omax, (o < 200) ? "PASS" : "FAIL"
    printf "   save on the close button (both lists): %.1f ms (%.1f to %.1f) (target under 200 ms): %s\n",
      c, cmin, cmax, (c < 200) ? "PASS" : "FAIL"
    printf "   save on a row'"'"'s delete button (the downloading list): %.1f ms (%.1f to %.1f) (target under 200 ms): %s\n",
      d, dmin, dmax, (d < 200) ? "PASS" : "FAIL"
  }'
}

[[ ${SKIP_LESSON:-} ]] || lesson_part
[[ ${SKIP_LIST:-} ]] || list_part

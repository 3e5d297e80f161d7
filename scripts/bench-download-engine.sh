#!/usr/bin/env bash
# How libxldl.so downloads a lesson from the reference site, against the tools members
# would compare it with, in the same run:
#
# 1. Loopback, a 1 GiB lesson (SIZE_MIB): the engine's rate against the aria2c command
#    with the same options (the library's ceiling) and curl; the CPU time per GiB of the
#    engine against curl's; the median XL_QueryTaskInfoEx time while downloading.
# 2. A member's line, a 200 MiB lesson (LINE_SIZE_MIB): 50 ms round trip at 100 Mbit/s
#    between two network namespaces of the benchmark's own, joined by delay_line (this
#    kernel has no netem); time from start to done of the engine against curl, and of
#    aria2c with a fixed 16 MiB receive buffer (the engine's former option) to show what
#    the line is sensitive to. The machine's net.core.rmem_max is set to Debian's default
#    (212992) for this part and put back afterwards, as on a member's machine. Without
#    root or network namespaces, the site's throttle plus a 50 ms reply delay stands in
#    for the line, and the output says so.
#
# A download counts as done when the file is on disk: libaria2 (so both the engine and
# aria2c) flushes the finished file before it reports completion, curl does not, so
# curl's time includes a sync of its file. Each part runs ROUNDS rounds (default 3), the
# tools taking turns, and keeps each tool's best: the disk and the machine vary between
# runs, and turns keep that from favouring one tool. Builds nothing; run after building
# tessal-site, xldl, bench_download_engine and delay_line.
#
#   scripts/bench-download-engine.sh [build folder]      (default: build)
set -euo pipefail

build=${1:-build}
size_mib=${SIZE_MIB:-1024}
line_size_mib=${LINE_SIZE_MIB:-200}
rounds=${ROUNDS:-3}
site="$(realpath "$build/site/server/tessal-site")"
bench="$(realpath "$build/bench/download/bench_download_engine")"
line="$(realpath "$build/bench/download/delay_line")"
library="$(realpath "$build/engines/download/libxldl.so")"
for needed in "$site" "$bench" "$line"; do
  [[ -x $needed ]] || { echo "bench-download-engine: $needed is not built" >&2; exit 1; }
done
for command in aria2c curl; do
  command -v $command >/dev/null || { echo "bench-download-engine: $command is missing" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
namespaces=()
saved_rmem_max=
cleanup() {
  # Newest first: the downloads end before the site and the line they use.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  for namespace in "${namespaces[@]}"; do ip netns delete "$namespace" 2>/dev/null || true; done
  [[ -z $saved_rmem_max ]] || echo "$saved_rmem_max" >/proc/sys/net/core/rmem_max
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT  # so that a stopped benchmark cleans up too

now() { date +%s.%N; }
best() { awk -v a="$1" -v b="$2" 'BEGIN { print (a > b ? a : b) }'; }
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == 0 || b < a ? b : a) }'; }
elapsed() { awk -v s="$1" -v e="$2" 'BEGIN { printf "%.3f", e - s }'; }
fresh() { rm -f "$work/out/"*; sync; }
mkdir -p "$work/out"

# start_site NAME SIZE_MIB [command prefix] [site options]: a lesson of random bytes served
# by a site of its own; sets $url.
start_site() {
  local name=$1 mib=$2 prefix=$3
  shift 3
  head -c "$((mib * 1048576))" /dev/urandom >"$work/$name.tessal"
  cat "$work/$name.tessal" >/dev/null
  $prefix "$site" --base-port 0 --write-site-ini "$work/$name.ini" "$@" \
    --serve-file "/lessons/bench/$name.tessal=$work/$name.tessal" >"$work/$name.site.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 200); do [[ -f $work/$name.ini ]] && break; sleep 0.05; done
  [[ -f $work/$name.ini ]] || { echo "bench-download-engine: the site did not start" >&2; exit 1; }
  url="http://$(sed -n 's/^Download1=//p' "$work/$name.ini")/lessons/bench/$name.tessal"
}

# engine PREFIX NAME: one download through libxldl.so; sets engine_seconds, engine_cpu,
# query_us, queries.
engine() {
  local bytes=$(($(stat -c %s "$work/$2.tessal")))
  fresh
  $1 "$bench" "$library" "$url" "$work/out" "$2.tessal" >"$work/engine.out" &
  pids+=($!)
  wait $! || { echo "engine: download failed" >&2; exit 1; }
  read -r _ size query_us queries engine_seconds engine_cpu <"$work/engine.out"
  [[ $size == "$bytes" ]] || { echo "engine: short download" >&2; exit 1; }
  cmp -s "$work/out/$2.tessal" "$work/$2.tessal" || { echo "engine: wrong bytes" >&2; exit 1; }
}

# curl_download PREFIX NAME: sets curl_seconds (then sync), curl_cached_seconds, curl_cpu.
curl_download() {
  fresh
  local start cached times
  start=$(now)
  times=$( { TIMEFORMAT='%U %S'; time $1 curl --silent --show-error --noproxy '*' \
    -o "$work/out/$2.tessal" "$url"; } 2>&1 )
  cached=$(now)
  sync "$work/out/$2.tessal"
  curl_seconds=$(elapsed "$start" "$(now)")
  curl_cached_seconds=$(elapsed "$start" "$cached")
  curl_cpu=$(awk '{ printf "%.3f", $1 + $2 }' <<<"$times")
  cmp -s "$work/out/$2.tessal" "$work/$2.tessal" || { echo "curl: wrong bytes" >&2; exit 1; }
}

# aria2c_download PREFIX NAME [options]: with the engine's options; sets aria2_seconds.
aria2c_download() {
  fresh
  local start prefix=$1 name=$2
  shift 2
  start=$(now)
  $prefix aria2c --no-conf --no-netrc --all-proxy= --quiet=true --split=1 \
    --max-connection-per-server=1 --file-allocation=none --piece-length=64M \
    --allow-overwrite=true "$@" -d "$work/out" -o "$name.tessal" "$url"
  aria2_seconds=$(elapsed "$start" "$(now)")
}

loopback() {
  start_site loop "$size_mib" ""
  local e_best=0 a_best=0 c_best=0 cc_best=0 e_cpu=0 c_cpu=0 q_us=0 q_n=0
  for round in $(seq "$rounds"); do
    engine "" loop
    e_best=$(least "$e_best" "$engine_seconds"); e_cpu=$(least "$e_cpu" "$engine_cpu")
    [[ $round == 1 ]] && { q_us=$query_us; q_n=$queries; }
    aria2c_download "" loop
    a_best=$(least "$a_best" "$aria2_seconds")
    curl_download "" loop
    c_best=$(least "$c_best" "$curl_seconds"); cc_best=$(least "$cc_best" "$curl_cached_seconds")
    c_cpu=$(least "$c_cpu" "$curl_cpu")
  done
  awk -v mib="$size_mib" -v e="$e_best" -v a="$a_best" -v c="$c_best" -v cc="$cc_best" \
      -v ecpu="$e_cpu" -v ccpu="$c_cpu" -v q="$q_us" -v n="$q_n" 'BEGIN {
    bytes = mib * 1048576; gib = mib / 1024
    printf "1. loopback, %d MiB lesson, done when on disk (best of rounds)\n", mib
    printf "   libxldl.so: %8.1f MB/s  CPU %.2f s/GiB\n", bytes / e / 1e6, ecpu / gib
    printf "   aria2c:     %8.1f MB/s\n", bytes / a / 1e6
    printf "   curl:       %8.1f MB/s  CPU %.2f s/GiB (then sync; %.1f MB/s still in the page cache)\n",
      bytes / c / 1e6, ccpu / gib, bytes / cc / 1e6
    printf "   engine / aria2c rate: %.0f %% (target at least 90 %%): %s\n", 100 * a / e,
      (a / e >= 0.9) ? "met" : "NOT met"
    printf "   engine / curl CPU per GiB: %.2f (target at most 1.50): %s\n", ecpu / ccpu,
      (ecpu / ccpu <= 1.5) ? "met" : "NOT met"
    printf "   XL_QueryTaskInfoEx median: %.1f us over %d queries (target under 1000 us): %s\n",
      q, n, (q < 1000) ? "met" : "NOT met"
  }'
}

# Two namespaces joined by delay_line; sets line_prefix (runs a command on the member's
# side) and starts the site on the server's side.
make_line() {
  local tag=$$ site_ns member_ns
  site_ns=tessal-bench-site-$tag
  member_ns=tessal-bench-member-$tag
  ip netns add "$site_ns" && namespaces+=("$site_ns") || return 1
  ip netns add "$member_ns" && namespaces+=("$member_ns") || return 1
  "$line" "tbs$tag" "tbm$tag" 50 100 >"$work/line.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do grep -q ready "$work/line.out" 2>/dev/null && break; sleep 0.05; done
  grep -q ready "$work/line.out" || return 1
  ip link set "tbs$tag" netns "$site_ns"
  ip link set "tbm$tag" netns "$member_ns"
  ip -n "$site_ns" addr add 10.77.0.1 peer 10.77.0.2 dev "tbs$tag"
  ip -n "$member_ns" addr add 10.77.0.2 peer 10.77.0.1 dev "tbm$tag"
  for namespace in "$site_ns" "$member_ns"; do ip -n "$namespace" link set lo up; done
  ip -n "$site_ns" link set "tbs$tag" up
  ip -n "$member_ns" link set "tbm$tag" up
  saved_rmem_max=$(cat /proc/sys/net/core/rmem_max)
  echo 212992 >/proc/sys/net/core/rmem_max
  start_site line "$line_size_mib" "ip netns exec $site_ns" --listen-address 10.77.0.1
  line_prefix="ip netns exec $member_ns"
  line_kind="50 ms round trip, 100 Mbit/s: two network namespaces joined by delay_line"
}

# Without namespaces: the site throttles every reply to 100 Mbit/s after 50 ms.
fake_line() {
  start_site line "$line_size_mib" ""
  local host control
  host=$(sed -n 's/^Download1=//p' "$work/line.ini")
  control="http://${host%:*}:$((${host##*:} + 5))"  # the control port follows the hosts
  curl --silent --noproxy '*' -X POST "$control/faults" \
    -d '{"host":"Download1","delay_ms":50,"rate_bytes_per_second":12500000}' >/dev/null
  line_prefix=""
  line_kind="NO network namespaces here: the site's throttle (12.5 MB/s) and a 50 ms reply delay"
}

member_line() {
  if [[ $(id -u) -ne 0 ]] || ! make_line 2>"$work/line.err"; then
    fake_line
  fi
  local e_best=0 c_best=0 fixed_best=0
  for _ in $(seq "$rounds"); do
    engine "$line_prefix" line
    e_best=$(least "$e_best" "$engine_seconds")
    curl_download "$line_prefix" line
    c_best=$(least "$c_best" "$curl_seconds")
    aria2c_download "$line_prefix" line --socket-recv-buffer-size=16M
    fixed_best=$(least "$fixed_best" "$aria2_seconds")
  done
  awk -v mib="$line_size_mib" -v e="$e_best" -v c="$c_best" -v f="$fixed_best" \
      -v kind="$line_kind" -v rmem="$(cat /proc/sys/net/core/rmem_max)" 'BEGIN {
    printf "2. a member'"'"'s line (%s), %d MiB lesson, start to done (best of rounds)\n", kind, mib
    printf "   net.core.rmem_max during the run: %d\n", rmem
    printf "   libxldl.so: %6.2f s\n   curl:       %6.2f s (then sync)\n", e, c
    printf "   aria2c with a fixed 16 MiB receive buffer: %6.2f s\n", f
    printf "   engine speed / curl speed: %.0f %% (target at least 95 %%): %s\n", 100 * c / e,
      (c / e >= 0.95) ? "met" : "NOT met"
  }'
}

[[ ${SKIP_LOOPBACK:-} ]] || loopback
[[ ${SKIP_LINE:-} ]] || member_line

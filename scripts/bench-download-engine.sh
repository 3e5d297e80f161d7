#!/usr/bin/env bash
# How fast libxldl.so downloads a 1 GiB lesson from the reference site on loopback,
# against the aria2c command and curl in the same run, and how long XL_QueryTaskInfoEx
# takes at the median while the download runs. Builds nothing; run after building
# tessal-site, xldl and bench_download_engine.
#
# A download counts as done when the file is on disk: libaria2 (so both the engine and
# aria2c) flushes the finished file before it reports completion, curl does not, so
# curl's time includes a sync of its file. curl's time without that sync is shown too.
#
#   scripts/bench-download-engine.sh [build folder]     (default: build; SIZE_MIB=1024)
set -euo pipefail

build=${1:-build}
size_mib=${SIZE_MIB:-1024}
site="$build/site/server/tessal-site"
bench="$build/bench/download/bench_download_engine"
library="$(realpath "$build/engines/download/libxldl.so")"
for needed in "$site" "$bench"; do
  [[ -x $needed ]] || { echo "bench-download-engine: $needed is not built" >&2; exit 1; }
done
for command in aria2c curl; do
  command -v $command >/dev/null || { echo "bench-download-engine: $command is missing" >&2; exit 1; }
done

work=$(mktemp -d)
site_pid=
cleanup() {
  if [[ -n $site_pid ]]; then
    kill "$site_pid" 2>/dev/null || true
    wait "$site_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$work/big.tessal"
cat "$work/big.tessal" >/dev/null
"$site" --base-port 0 --write-site-ini "$work/Site.ini" \
  --serve-file "/lessons/bench/big.tessal=$work/big.tessal" >"$work/site.out" 2>&1 &
site_pid=$!
for _ in $(seq 200); do [[ -f $work/Site.ini ]] && break; sleep 0.05; done
[[ -f $work/Site.ini ]] || { echo "bench-download-engine: the site did not start" >&2; exit 1; }
url="http://$(sed -n 's/^Download1=//p' "$work/Site.ini")/lessons/bench/big.tessal"
mkdir -p "$work/out"
bytes=$((size_mib * 1048576))

now() { date +%s.%N; }
rate() { awk -v b="$bytes" -v s="$1" -v e="$2" 'BEGIN { printf "%.1f", b / (e - s) / 1e6 }'; }
fresh() { rm -f "$work/out/"*; sync; }

# Three rounds (ROUNDS=n for more), the tools taking turns, best of each: the line and
# the disk vary between
# runs on a shared machine, and turns keep that from favouring one tool.
engine_rate=0 aria2_rate=0 curl_rate=0 curl_cached_rate=0 query_us=0 queries=0
best() { awk -v a="$1" -v b="$2" 'BEGIN { print (a > b ? a : b) }'; }
for round in $(seq "${ROUNDS:-3}"); do
  fresh
  read -r rate_now engine_size query_now queries < <("$bench" "$library" "$url" "$work/out" big.tessal)
  [[ $engine_size == "$bytes" ]] || { echo "engine: short download" >&2; exit 1; }
  cmp -s "$work/out/big.tessal" "$work/big.tessal" || { echo "engine: wrong bytes" >&2; exit 1; }
  engine_rate=$(best "$engine_rate" "$rate_now")
  [[ $round == 1 ]] && query_us=$query_now

  fresh
  start=$(now)
  aria2c --quiet=true --split=1 --max-connection-per-server=1 --file-allocation=none \
    --piece-length=64M --socket-recv-buffer-size=16M \
    --allow-overwrite=true -d "$work/out" -o big.tessal "$url"
  aria2_rate=$(best "$aria2_rate" "$(rate "$start" "$(now)")")

  fresh
  start=$(now)
  curl --silent --show-error -o "$work/out/big.tessal" "$url"
  cached=$(now)
  sync "$work/out/big.tessal"
  curl_rate=$(best "$curl_rate" "$(rate "$start" "$(now)")")
  curl_cached_rate=$(best "$curl_cached_rate" "$(rate "$start" "$cached")")
done

awk -v e="$engine_rate" -v a="$aria2_rate" -v c="$curl_rate" -v cc="$curl_cached_rate" -v q="$query_us" -v n="$queries" \
    -v size="$size_mib" 'BEGIN {
  faster = a > c ? a : c
  printf "lesson: %d MiB on loopback, done when on disk\n", size
  printf "libxldl.so: %8.1f MB/s\n", e
  printf "aria2c:     %8.1f MB/s\n", a
  printf "curl:       %8.1f MB/s (then sync; %.1f MB/s still in the page cache)\n", c, cc
  printf "engine / faster: %.0f %% (target at least 90 %%): %s\n", 100 * e / faster,
    (e >= 0.9 * faster) ? "met" : "NOT met"
  printf "XL_QueryTaskInfoEx median: %.1f us over %d queries (target under 1000 us): %s\n",
    q, n, (q < 1000) ? "met" : "NOT met"
}'

#!/usr/bin/env bash
# How fast the reference site hands out one lesson file: curl downloads a 1 GiB lesson
# from download host 1 on loopback, and the rate is compared with the 500 MB/s that a
# download benchmark needs from the site. Builds nothing; run after building.
#
#   scripts/bench-site-download.sh [build folder]     (default: build; SIZE_MIB=1024)
set -euo pipefail

build=${1:-build}
size_mib=${SIZE_MIB:-1024}
program="$build/site/server/tessal-site"
[[ -x $program ]] || { echo "bench-site-download: $program is not built" >&2; exit 1; }
command -v curl >/dev/null || { echo "bench-site-download: curl is not installed" >&2; exit 1; }

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

# Real bytes, read once so that the page cache holds them as it would a served lesson.
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$work/big.tessal"
cat "$work/big.tessal" >/dev/null
"$program" --base-port 0 --write-site-ini "$work/Site.ini" \
  --serve-file "/lessons/bench/big.tessal=$work/big.tessal" >"$work/site.out" 2>&1 &
site_pid=$!
for _ in $(seq 200); do [[ -f $work/Site.ini ]] && break; sleep 0.05; done
[[ -f $work/Site.ini ]] || { echo "bench-site-download: the site did not start" >&2; exit 1; }
host=$(sed -n 's/^Download1=//p' "$work/Site.ini")

for run in 1 2 3; do
  curl --silent --show-error -o /dev/null -w '%{speed_download} %{size_download}\n' \
    "http://$host/lessons/bench/big.tessal"
done | awk -v size="$size_mib" '{
  rate = $1 / 1e6
  if ($2 != size * 1048576) { printf "run %d: short download (%d bytes)\n", NR, $2; bad = 1 }
  printf "run %d: %.0f MB/s\n", NR, rate
  if (rate > best) best = rate
} END {
  printf "best:  %.0f MB/s for a %d MiB lesson (target at least 500 MB/s): %s\n",
    best, size, (best >= 500 && !bad) ? "met" : "NOT met"
}'

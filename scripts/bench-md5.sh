#!/usr/bin/env bash
# Compares FileMd5's throughput with md5sum's on a 256 MiB file held in the page cache.
# Usage: scripts/bench-md5.sh [path/to/bench_md5]   (default: build/bench/md5/bench_md5)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$root/build/bench/md5/bench_md5}
if [[ ! -x $bench ]]; then
  echo "bench-md5: $bench not found; build the bench_md5 target first" >&2
  exit 2
fi

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
file=$folder/payload.bin
dd if=/dev/urandom of="$file" bs=1M count=256 status=none
size_bytes=$(stat -c %s "$file")
cat "$file" >/dev/null  # warm the page cache

# Best of three wall-clock runs, in seconds.
best_seconds() {
  local best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    local took=$((end - start))
    if [[ -z $best || $took -lt $best ]]; then best=$took; fi
  done
  awk -v ns="$best" 'BEGIN { printf "%.4f", ns / 1e9 }'
}

[[ $(md5sum "$file" | cut -d' ' -f1) == $("$bench" "$file" | head -n1 | cut -d' ' -f1) ]] ||
  { echo "bench-md5: digests differ" >&2; exit 1; }

md5sum_seconds=$(best_seconds md5sum "$file")
bench_seconds=$(best_seconds "$bench" "$file")
awk -v bytes="$size_bytes" -v a="$md5sum_seconds" -v b="$bench_seconds" 'BEGIN {
  printf "md5sum:    %7.1f MB/s\n", bytes / 1e6 / a
  printf "bench_md5: %7.1f MB/s\n", bytes / 1e6 / b
  printf "ratio:     %7.1f %% of md5sum\n", 100 * a / b
}'

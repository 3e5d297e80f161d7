#!/usr/bin/env bash
# Compares the updater's verification pass with md5sum over the same files: a list of
# 500 items, 256 MiB in all, held in the page cache.
# Usage: scripts/bench-updater-verify.sh [path/to/bench_updater_verify]
#        (default: build/bench/updater/bench_updater_verify)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$root/build/bench/updater/bench_updater_verify}
if [[ ! -x $bench ]]; then
  echo "bench-updater-verify: $bench not found; build the bench_updater_verify target first" >&2
  exit 2
fi

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
"$bench" make "$folder" 500 256
mapfile -t files < <(cd "$folder" && find files -type f -name '*.bin' | sort)
size_bytes=$(cd "$folder" && cat "${files[@]}" | wc -c)  # also warms the page cache

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

[[ $("$bench" run "$folder" | head -n1) == verified ]] ||
  { echo "bench-updater-verify: the files did not verify" >&2; exit 1; }

md5sum_seconds=$(cd "$folder" && best_seconds md5sum "${files[@]}")
bench_seconds=$(best_seconds "$bench" run "$folder")
awk -v bytes="$size_bytes" -v n="${#files[@]}" -v a="$md5sum_seconds" -v b="$bench_seconds" 'BEGIN {
  printf "files:        %d, %.1f MiB\n", n, bytes / 1048576
  printf "md5sum:       %7.1f MB/s\n", bytes / 1e6 / a
  printf "verification: %7.1f MB/s\n", bytes / 1e6 / b
  printf "ratio:        %7.1f %% of md5sum\n", 100 * a / b
}'

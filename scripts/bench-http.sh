#!/usr/bin/env bash
# Compares SendRequest with curl: the same small form POSTs, each on its own connection,
# to the same loopback server (bench_http_post --serve). curl sends all of them in one
# invocation with "Connection: close". Builds nothing; run after building the benchmarks.
#
#   scripts/bench-http.sh [build folder]     (default: build; COUNT=1000 requests)
set -euo pipefail

build=${1:-build}
count=${COUNT:-1000}
program="$build/bench/http/bench_http_post"
body='username=demo&password=123456&remember=1'

if [[ ! -x $program ]]; then
  echo "bench-http: $program is not built (cmake --build $build --target bench_http_post)" >&2
  exit 1
fi
command -v curl >/dev/null || { echo "bench-http: curl is not installed" >&2; exit 1; }

work=$(mktemp -d)
server_pid=
cleanup() {
  if [[ -n $server_pid ]]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

"$program" --serve 0 >"$work/serve.out" &
server_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/^port //p' "$work/serve.out")
  [[ -n $port ]] && break
  sleep 0.05
done
[[ -n $port ]] || { echo "bench-http: the server did not start" >&2; exit 1; }
url="http://127.0.0.1:$port/login"

nanoseconds() { date +%s%N; }

start=$(nanoseconds)
"$program" --url "$url" --count "$count"
ours_ns=$(($(nanoseconds) - start))

start=$(nanoseconds)
curl --silent --show-error -H 'Connection: close' --data "$body" "$url?seq=[1-$count]" >/dev/null
curl_ns=$(($(nanoseconds) - start))

awk -v ours="$ours_ns" -v theirs="$curl_ns" -v count="$count" 'BEGIN {
  ratio = ours / theirs
  printf "SendRequest: %d requests in %.3f s\n", count, ours / 1e9
  printf "curl:        %d requests in %.3f s\n", count, theirs / 1e9
  printf "ratio:       %.2f (target at most 1.20): %s\n", ratio, ratio <= 1.2 ? "met" : "NOT met"
}'

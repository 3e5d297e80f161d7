#!/usr/bin/env bash
# How long TessalClient takes from its start to the login window on the screen, and its
# resident memory and whether the web engine is mapped then, on a demo installation
# against a reference site of its own.
# Runs on the offscreen platform unless DISPLAY names an X server. Builds nothing; run
# after building everything (cmake --build build).
#
#   scripts/bench-client-startup.sh [build folder]     (ROUNDS=n, default 7)
set -euo pipefail

build=$(realpath "${1:-build}")
bench="$build/bench/client/bench_client_startup"
site="$build/site/server/tessal-site"
[[ -x $bench && -x $site ]] || { echo "bench-client-startup: build first" >&2; exit 1; }

work=$(mktemp -d)
site_pid=
cleanup() {
  pkill -f "$work/install/TessalUpdata" 2>/dev/null || true
  if [[ -n $site_pid ]]; then
    kill "$site_pid" 2>/dev/null || true
    wait "$site_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$work/install" >/dev/null
"$site" --base-port 0 --write-site-ini "$work/Site.ini" >"$work/site.out" 2>&1 &
site_pid=$!
for _ in $(seq 200); do [[ -f $work/Site.ini ]] && break; sleep 0.05; done
"$build/site/builders/tessal-demo-data" install "$work/install" --site-ini "$work/Site.ini" >/dev/null
[[ -n ${DISPLAY:-} ]] || export QT_QPA_PLATFORM=offscreen
export XDG_DATA_HOME="$work/xdg"

read -r shown_ms resident_mib rounds web_rounds < <("$bench" "$work/install/TessalClient" \
  "$work/install" "${ROUNDS:-7}")
awk -v t="$shown_ms" -v m="$resident_mib" -v n="$rounds" -v w="$web_rounds" 'BEGIN {
  printf "TessalClient start to login window: %.1f ms median of %d (target under 400 ms): %s\n",
    t, n, (t < 400) ? "met" : "NOT met"
  printf "resident memory then: %.1f MB at most (target under 80 MB): %s\n",
    m, (m < 80) ? "met" : "NOT met"
  printf "web engine mapped then (the main window holds an empty web view): in %d of %d rounds (target none): %s\n",
    w, n, (w == 0) ? "met" : "NOT met"
}'

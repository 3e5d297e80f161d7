#!/usr/bin/env bash
# Builds everything and runs every test.
# Usage: scripts/test.sh [--sanitize] [extra ctest arguments]
#   --sanitize  builds the tests with the address and undefined-behaviour sanitizers
#               into their own folder (build-sanitize) and runs them there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
options=()
build=${TESSAL_BUILD_DIR:-$root/build}
if [[ ${1:-} == --sanitize ]]; then
  shift
  build=${TESSAL_SANITIZE_BUILD_DIR:-$root/build-sanitize}
  options+=(-DTESSAL_SANITIZE=ON -DTESSAL_BUILD_BENCH=OFF)
  export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
  # GCC 12's sanitizer runtime can take a dynamic TLS block for an old glibc header by
  # chance and read a bogus range from it; the leak check at exit then dies in its
  # tracer (about one run in thirty). Not intercepting __tls_get_addr avoids the guess.
  export ASAN_OPTIONS="intercept_tls_get_addr=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
fi

bash "$root/scripts/install-deps.sh"
source "$root/scripts/configure.sh"
configure_build "$build" "${options[@]}"
cmake --build "$build" -j"$jobs"
cd "$build"
ctest --output-on-failure -j"$jobs" "$@"

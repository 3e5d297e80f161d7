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
fi

bash "$root/scripts/install-deps.sh"
source "$root/scripts/configure.sh"
configure_build "$build" "${options[@]}"
cmake --build "$build" -j"$jobs"
cd "$build"
ctest --output-on-failure -j"$jobs" "$@"

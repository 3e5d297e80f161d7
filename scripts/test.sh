#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/test.sh [extra ctest arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSAL_BUILD_DIR:-$root/build}
jobs=$(nproc)

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSAL_WERROR=ON
cmake --build "$build" -j"$jobs"
cd "$build"
ctest --output-on-failure -j"$jobs" "$@"

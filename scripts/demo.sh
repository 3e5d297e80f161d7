#!/usr/bin/env bash
# Builds the programs and starts the demo: the reference site on loopback and
# TessalClient on a demo installation that points at it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSAL_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"
cmake --install "$build" --prefix "$root/demo/install" >/dev/null

echo "Built: the common libraries (text, INI, daily log, HTTP, files, machine identity)."
echo "Installation folder: $root/demo/install"
echo "Not there yet: the reference site and the four programs; this command starts them once they exist."

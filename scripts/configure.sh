#!/usr/bin/env bash
# Sourced by demo.sh and test.sh: both configure the build folder with the same options,
# so running one after the other rebuilds only what changed.
#   configure_build <build folder> [extra cmake options...]
configure_build() {
  local build=$1
  shift
  local options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSAL_WERROR=ON "$@")
  # Rebuilds of unchanged sources come from ccache's store (~/.cache/ccache) when it is
  # there, also for a clone at another path: paths are hashed relative to the clone's root.
  if command -v ccache >/dev/null; then
    options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
  fi
  cmake -S "$root" -B "$build" -G Ninja "${options[@]}"
}

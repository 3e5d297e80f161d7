#!/usr/bin/env bash
# The main window's course tree on a generated catalogue of 5,000 courses in 40 types:
# build to first paint, the longest frame while scrolling the whole tree, and peak
# memory. Runs on the offscreen platform unless DISPLAY names an X server. Builds
# nothing; run after building everything (cmake --build build).
#
#   scripts/bench-course-tree.sh [build folder]     (COURSES=n TYPES=n to change the size)
set -euo pipefail

build=$(realpath "${1:-build}")
bench="$build/bench/client/bench_course_tree"
[[ -x $bench ]] || { echo "bench-course-tree: build first" >&2; exit 1; }
[[ -n ${DISPLAY:-} ]] || export QT_QPA_PLATFORM=offscreen

read -r shown notch notch_median page page_median peak items < <(
  "$bench" "$build/installation" "${COURSES:-5000}" "${TYPES:-40}" 2>/dev/null)
awk -v s="$shown" -v n="$notch" -v nm="$notch_median" -v p="$page" -v pm="$page_median" \
    -v m="$peak" -v i="$items" 'BEGIN {
  printf "course tree of %d items, build to first paint: %.1f ms (target under 300 ms): %s\n",
    i, s, (s < 300) ? "met" : "NOT met"
  printf "scrolling a wheel notch at a time: longest frame %.1f ms, median %.1f ms (target: none over 16 ms): %s\n",
    n, nm, (n <= 16) ? "met" : "NOT met"
  printf "scrolling a page at a time: longest frame %.1f ms, median %.1f ms\n", p, pm
  printf "peak resident memory: %.1f MB (target under 150 MB): %s\n", m, (m < 150) ? "met" : "NOT met"
}'

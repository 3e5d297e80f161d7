#!/usr/bin/env bash
# common/ (outside common/gui/) is plain C++: no Qt header, no Qt library.
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
hits=$(grep -rnE '#\s*include\s*[<"](Q[A-Za-z]|qt)|Qt6?::|find_package\(Qt' "$root/common" \
         --include='*.h' --include='*.cpp' --include='CMakeLists.txt' | grep -v "^$root/common/gui/")
if [[ -n "$hits" ]]; then
  echo "common/ must not use Qt:"
  echo "$hits"
  exit 1
fi
echo "common/ uses no Qt"

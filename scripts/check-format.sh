#!/usr/bin/env bash
# Every C++ source of the project follows .clang-format.
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 1
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
[[ ${#files[@]} -gt 0 ]] || exit 0
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/tessal-format.$$; then
  grep -E '^[^ ].*(warning|error)' /tmp/tessal-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  rm -f /tmp/tessal-format.$$
  echo "run: clang-format -i <files>"
  exit 1
fi
rm -f /tmp/tessal-format.$$
echo "${#files[@]} files formatted"

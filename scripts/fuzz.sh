#!/usr/bin/env bash
# Fuzzes every parser of outside input with libFuzzer:
#   scripts/fuzz.sh [seconds per target, default 60] [target...]
# Builds build-fuzz/ with clang (TESSAL_FUZZ), then runs each target of tests/fuzz/ for
# the given time on a copy of its seeds (tests/fuzz/corpus/<target>/). Exits non-zero
# when any target reports a crash, leak, time-out, memory blow-up or sanitizer error;
# its input is kept under build-fuzz/fuzz-runs/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
if [[ ! $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [seconds per target] [target...]" >&2
  exit 2
fi
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(login_reply push_reply user_info_json update_list
  client_update_list ip_lookup ini url_decode code_page)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
runs=$build/fuzz-runs

# clang and its libFuzzer runtime (Debian 12: clang 14, libclang-rt-14-dev).
if ! command -v clang++ >/dev/null ||
  ! compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; then
  echo "fuzz: installing clang and libclang-rt-14-dev"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends clang libclang-rt-14-dev
fi

# Only what the targets need, at -O1 with line tables: quick to build, stacks with lines,
# and assertions on.
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only"
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only"
  -DTESSAL_FUZZ=ON -DTESSAL_BUILD_TESTS=OFF -DTESSAL_BUILD_BENCH=OFF)
if command -v ccache >/dev/null; then
  options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
fi
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" >/dev/null
ninja -C "$build" -j "${FUZZ_BUILD_JOBS:-2}" "${targets[@]/#/fuzz_}"

# The file parsers write their files for every input, and the programs sync each write:
# a memory-backed folder keeps that from dominating the run. A target that stops on a
# report leaves its folder there; the whole of it goes at the end.
scratch_parent=/dev/shm
[[ -d $scratch_parent && -w $scratch_parent ]] || scratch_parent=${TMPDIR:-/tmp}
TMPDIR=$(mktemp -d "$scratch_parent/tessal-fuzz-run.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
# Leaks are errors; an uncaught exception or an abort is a crash. JsonCpp and tinyxml2
# come from the system without frame pointers: the stacks the fast unwinder records
# through their recursion are noise, each kept as a new allocation stack until the run
# runs out of memory. One frame per allocation keeps that bounded; run a reported input
# again with malloc_context_size=30 for whole allocation stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:malloc_context_size=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# A number of libFuzzer's last status line ("#N DONE cov: C ft: F corp: K/S ...").
field() { sed -nE "s/.* $1: ([0-9]+).*/\1/p" <<<"$status"; }

failed=()
printf '%-20s %8s %10s %7s %7s %7s  %s\n' target seconds exec/s cov ft corpus result
for target in "${targets[@]}"; do
  work=$runs/$target
  rm -rf "$work"
  mkdir -p "$work/corpus"
  cp -r "$root/tests/fuzz/corpus/$target/." "$work/corpus/" 2>/dev/null || true
  args=("$work/corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
    -print_final_stats=1 -artifact_prefix="$work/")
  dict=$root/tests/fuzz/dict/$target.dict
  # Both update lists are XML: one dictionary serves them.
  [[ $target == *update_list ]] && dict=$root/tests/fuzz/dict/xml.dict
  [[ -f $dict ]] && args+=(-dict="$dict")
  started=$(date +%s)
  result=ok
  # The outer limit catches a run that hangs outside any one input.
  timeout -k 10 $((seconds + 120)) "$build/tests/fuzz/fuzz_$target" "${args[@]}" \
    >"$work/log" 2>&1 || result=FAILED
  if grep -qE '^(==[0-9]+== ?ERROR|SUMMARY: |.*runtime error:|broken promise)' "$work/log"; then
    result=FAILED
  fi
  elapsed=$(($(date +%s) - started))
  status=$(grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE|INITED)' "$work/log" | tail -1)
  exec_rate=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+)/\1/p' "$work/log")
  corpus=$(find "$work/corpus" -type f | wc -l)
  printf '%-20s %8s %10s %7s %7s %7s  %s\n' "$target" "$elapsed" "${exec_rate:-?}" \
    "$(field cov)" "$(field ft)" "$corpus" "$result"
  if [[ $result != ok ]]; then
    failed+=("$target")
    grep -E 'ERROR|SUMMARY|runtime error|broken promise|Test unit written' "$work/log" |
      head -5 | sed 's/^/    /'
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: FAILED: ${failed[*]} (logs and inputs under $runs/)"
  exit 1
fi
echo "fuzz: every target ran ${seconds}s without a report"

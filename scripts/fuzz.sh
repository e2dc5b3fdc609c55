#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ into build-fuzz/ and runs each for
# SECONDS_PER_TARGET seconds (default 20) on a scratch copy of its seed
# corpus, in a temporary directory: the runs write nothing into the
# repository. Exits non-zero when any target finds a crash, a failed
# property, a timeout or a memory overrun.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET]
#
# FUZZ_TARGETS selects targets (default: all five); FUZZ_KEEP=1 keeps the
# scratch directory (grown corpora, logs) after a clean run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
targets=${FUZZ_TARGETS:-"convert_fuzzer command_line_fuzzer scan_buffer_fuzzer block_path_fuzzer decode_fuzzer"}
build=${BUILD_DIR:-$root/build-fuzz}

case "$seconds" in
  '' | *[!0-9]*) echo "usage: $0 [SECONDS_PER_TARGET]" >&2; exit 2 ;;
esac

# clang, its libFuzzer and sanitizer runtimes, cmake and make.
have_runtime() { compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; }
missing=()
command -v clang++ >/dev/null 2>&1 || missing+=(clang)
have_runtime || missing+=(libclang-rt-14-dev)
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v make >/dev/null 2>&1 || missing+=(make)
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root or install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq </dev/null
  apt-get install -y -qq "${missing[@]}" </dev/null >/dev/null
fi

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DTXT2VB_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo </dev/null >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" -j"$(nproc)" --target $targets </dev/null

scratch=$(mktemp -d "${TMPDIR:-/tmp}/txt2vb-fuzz.XXXXXX")
failed=()
for target in $targets; do
  work=$scratch/$target
  mkdir -p "$work/corpus"
  cp -R "$root/fuzz/corpus/$target/." "$work/corpus/"
  seeds=$(find "$work/corpus" -type f | wc -l)
  echo "== $target: ${seconds}s from $seeds seeds in $work"
  status=0
  (cd "$work" && "$build/fuzz/$target" corpus -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/" </dev/null >"$work/log" 2>&1) || status=$?
  done_line=$(grep -a 'DONE' "$work/log" | tail -n 1 || true)
  runs=$(grep -a 'stat::number_of_executed_units' "$work/log" | awk '{print $2}' || true)
  corpus=$(find "$work/corpus" -type f | wc -l)
  echo "   executions: ${runs:-?}  corpus: $corpus files"
  echo "   ${done_line:-no final stats line}"
  artifacts=$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
      -o -name 'oom-*' -o -name 'slow-unit-*' \) ! -name 'slow-unit-*' | sort)
  if [ "$status" -ne 0 ] || [ -n "$artifacts" ]; then
    echo "   FAILED (status $status); artifacts: ${artifacts:-none}; log: $work/log"
    grep -a -m 20 -E 'ERROR|\*\*\*|SUMMARY|runtime error' "$work/log" | sed 's/^/   | /' || true
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (kept in $scratch)"
  exit 1
fi
if [ "${FUZZ_KEEP:-0}" = 1 ]; then
  echo "no crash; scratch kept in $scratch"
else
  rm -rf "$scratch"
  echo "no crash"
fi

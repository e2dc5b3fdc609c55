#!/usr/bin/env bash
# Benchmarks txt2vb against the tools a user would reach for, in one run:
# throughput on a 100 MB file (LF and CR LF) against dd and a sed one-liner,
# peak memory on 10 MB and 1 GB inputs, and a 10,000-file tree replaced in
# place against find + sed -i. Prints medians and ratios with the commands.
#
#   bench/run.sh [RUNS]     (RUNS: timed runs per figure, default 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
work=${BENCH_DIR:-/tmp/txt2vb-bench}
build=$root/build-bench

"$root/scripts/install-deps.sh"
command -v /usr/bin/time >/dev/null || { apt-get update -qq && apt-get install -y -qq time >/dev/null; }
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTXT2VB_TESTS=OFF -DTXT2VB_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target txt2vb engine_bench >/dev/null
tool=$build/txt2vb

mkdir -p "$work"
cd "$work"
g++ -O2 -o gen_input "$root/bench/gen_input.cpp"
# The sed one-liner's three expressions, kept in a script file so that no
# quoting stands between them and the shell.
printf '%s\n' 's/"/""/g' 's/^/\t\& "/' 's/$/" _\r/' > convert.sed
sed_line="sed -e 's/\"/\"\"/g' -e 's/^/\\t\\& \"/' -e 's/\$/\" _\\r/'"
[ -f lf100.txt ] || ./gen_input file 100000000 lf100.txt
[ -f crlf100.txt ] || ./gen_input file 100000000 crlf100.txt crlf
[ -f in10.txt ] || ./gen_input file 10000000 in10.txt
[ -f in1g.txt ] || ./gen_input file 1000000000 in1g.txt

# Median wall time in seconds of `runs` runs of a command.
median() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s.%N)
    bash -c "$1" >/dev/null 2>&1
    end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f", b - a}')")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {printf "%.3f", a[int((NR+1)/2)]}'
}

# Median wall time of a command, each run after an untimed set-up command.
median_after() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    bash -c "$1" >/dev/null 2>&1
    local start end
    start=$(date +%s.%N)
    bash -c "$2" >/dev/null 2>&1
    end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f", b - a}')")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {printf "%.3f", a[int((NR+1)/2)]}'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a - b}'; }

echo "== engine micro-benchmarks (1 MiB of text)"
"$build/engine_bench" --benchmark_min_time=0.5 2>/dev/null | grep -E 'MemoryBuffer|StandardInput|Benchmark'
echo
printf '%-34s %9s  %s\n' "figure" "value" "command"
for input in lf100.txt crlf100.txt; do
  t_tool=$(median "rm -f out.vb && $tool -s -a:out.vb $input")
  t_dd=$(median "dd if=$input of=dd.out bs=64K")
  t_sed=$(median "sed -f $work/convert.sed $input > sed.out")
  printf '%-34s %8ss  %s\n' "$input: txt2vb" "$t_tool" "txt2vb -s -a:out.vb $input"
  printf '%-34s %8ss  %s\n' "$input: dd" "$t_dd" "dd if=$input of=dd.out bs=64K"
  printf '%-34s %8ss  %s\n' "$input: sed" "$t_sed" "$sed_line $input > sed.out"
  printf '%-34s %9s\n' "$input: txt2vb/dd (target <= 8)" "$(ratio "$t_tool" "$t_dd")"
  printf '%-34s %9s\n' "$input: sed/txt2vb (target >= 1.5)" "$(ratio "$t_sed" "$t_tool")"
done
rm -f out.vb dd.out sed.out

for input in in10.txt in1g.txt; do
  rm -f out.vb
  kib=$( { /usr/bin/time -f %M "$tool" -s -a:out.vb "$input" >/dev/null; } 2>&1 | tail -1)
  printf '%-34s %7sKiB  %s\n' "$input: peak memory (< 4096)" "$kib" "/usr/bin/time -f %M txt2vb -s -a:out.vb $input"
  rm -f out.vb
done

# The tree is replaced on the work directory's file system and, where there
# is one, on a memory file system: on some disks metadata calls (open,
# rename) dominate whatever the tools do.
tree_bench() {
  local place=$1 label=$2
  rm -rf "$place/tree.orig" && ./gen_input tree "$place/tree.orig"
  local fresh="cd $place && rm -rf tree && cp -r tree.orig tree && sync"
  local tool_only find_only
  tool_only=$(median_after "$fresh" "cd $place/tree && $tool -r -t -s '*.txt'")
  find_only=$(median_after "$fresh" "cd $place && find tree -name '*.txt' -exec sed -i -f $work/convert.sed {} +")
  printf '%-34s %8.3fs  %s\n' "10,000 files, $label: txt2vb" "$tool_only" "txt2vb -r -t -s '*.txt' (target < 1)"
  printf '%-34s %8.3fs  %s\n' "10,000 files, $label: find+sed" "$find_only" "find tree -name '*.txt' -exec sed -i -f convert.sed {} +"
  printf '%-34s %9.0f\n' "10,000 files, $label: txt2vb files/s" "$(ratio 10000 "$tool_only")"
  rm -rf "$place/tree" "$place/tree.orig"
}
tree_bench "$work" "$(df --output=fstype "$work" | tail -1)"
if [ -d /dev/shm ]; then
  shm=$(mktemp -d /dev/shm/txt2vb-bench.XXXXXX)
  tree_bench "$shm" tmpfs
  rm -rf "$shm"
fi

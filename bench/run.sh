#!/usr/bin/env bash
# Benchmarks txt2vb, in one run, against a plain copy (dd bs=64K) and the
# sed, perl and awk one-liners a user would write for the same job, on four
# inputs and a tree of 10,000 files. Every one-liner's output is first
# checked to be byte-identical to txt2vb's; a peer that differs is shown as
# such and not timed. Prints median wall times of RUNS rounds (each round
# runs every tool once, in turn), the ratios, peak memory, and, where
# valgrind is installed, instructions per input byte. Beside the tree's
# figures stands the floor: the same system calls per file without the
# conversion (bench/replace_floor.cpp). The default output is timed beside
# dd, the forms of -vba -nl -chrw and -decode of its own output, with their
# peak memory, on source-like, CR LF, non-ASCII and line-feed text.
#
#   bench/run.sh [RUNS]     (RUNS: rounds per figure, default 5)
#
# BENCH_DIR: where the inputs go (default: a directory on /dev/shm, a
# memory file system, when there is one, else /tmp).
# BENCH_TOOL: the txt2vb binary to measure (default: a Release build of
# this tree in build-bench/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
if [ -z "${BENCH_DIR:-}" ]; then
  if [ -d /dev/shm ]; then BENCH_DIR=/dev/shm/txt2vb-bench; else BENCH_DIR=/tmp/txt2vb-bench; fi
fi
work=$BENCH_DIR
build=$root/build-bench

"$root/scripts/install-deps.sh"
command -v /usr/bin/time >/dev/null || { apt-get update -qq && apt-get install -y -qq time >/dev/null; }
if [ -n "${BENCH_TOOL:-}" ]; then
  tool=$BENCH_TOOL
else
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTXT2VB_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target txt2vb >/dev/null
  tool=$build/txt2vb
fi
# The system's share of a replace run: the same calls, no conversion.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTXT2VB_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target replace_floor >/dev/null
floor=$build/replace_floor

mkdir -p "$work"
cd "$work"
g++ -O2 -o gen_input "$root/bench/gen_input.cpp"
[ -f source.txt ] || ./gen_input source 50000000 source.txt
[ -f long.txt ] || ./gen_input long 50000000 long.txt
[ -f linefeeds.txt ] || ./gen_input linefeeds 10000000 linefeeds.txt
[ -f crlf.txt ] || ./gen_input crlf 50000000 crlf.txt
[ -f nonascii.txt ] || ./gen_input nonascii 50000000 nonascii.txt
inputs="source.txt long.txt linefeeds.txt crlf.txt"

# The one-liners. Each writes txt2vb's exact output for these inputs: the
# first line continues the prologue, a line with text becomes an operand,
# an empty line a bare continuation, every line end is CR LF, and the
# input's final line feed leaves an empty last operand. They assume what
# the inputs hold: no NUL, no lone CR, a line feed at the end.
sed_cmd='sed -e '\''s/\r$//'\'' -e '\''s/"/""/g'\'' -e '\''1{s/^/\t= "/;s/$/" _\r/;b e'\'' -e '\''}'\'' -e '\''/^$/{s/^/\t_\r/;b e'\'' -e '\''}'\'' -e '\''s/^/\t\& "/;s/$/" _\r/'\'' -e '\'':e'\'' -e '\''$s/$/\n\t\& ""\r/'\'''
perl_cmd='perl -ne '\''s/\r?\n\z//; s/"/""/g; print $. == 1 ? "\t= \"$_\" _\r\n" : length ? "\t& \"$_\" _\r\n" : "\t_\r\n"; print("\t& \"\"\r\n"), close ARGV if eof'\'''
awk_prog='{ sub(/\r$/, ""); gsub(/"/, "\"\""); if (FNR == 1) printf "\t= \"%s\" _\r\n", $0; else if ($0 == "") printf "\t_\r\n"; else printf "\t& \"%s\" _\r\n", $0 } END { printf "\t& \"\"\r\n" }'
awk_cmd="awk '$awk_prog'"
awk_name=$(readlink -f "$(command -v awk)")

seconds() { local start end; start=$(date +%s.%N); bash -c "$1" >/dev/null 2>&1; end=$(date +%s.%N); awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f", b - a}'; }
median() { sort -g | awk '{a[NR]=$1} END {printf "%.3f", a[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

echo "== machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); inputs in $work ($(df --output=fstype "$work" | tail -1))"
echo "== one-liners (awk is $awk_name):"
echo "   sed:  $sed_cmd"
echo "   perl: $perl_cmd"
echo "   awk:  $awk_cmd"
echo

# --- the four inputs ---------------------------------------------------------
declare -A cmd
cmd[txt2vb]="$tool -s IN > out.txt2vb"
cmd[dd]="dd if=IN of=out.dd bs=64K"
cmd[sed]="$sed_cmd IN > out.sed"
cmd[perl]="$perl_cmd IN > out.perl"
cmd[awk]="$awk_cmd IN > out.awk"
peers="sed perl awk"

printf '%-15s %9s %9s %9s %9s %9s   %-8s %s\n' input txt2vb dd sed perl awk "txt2vb/dd" "peer/txt2vb (sed perl awk)"
for input in $inputs; do
  bash -c "${cmd[txt2vb]//IN/$input}"
  timed="txt2vb dd"
  declare -A same=()
  for peer in $peers; do
    bash -c "${cmd[$peer]//IN/$input}"
    if cmp -s out.txt2vb "out.$peer"; then same[$peer]=1; timed="$timed $peer"; else same[$peer]=0; fi
  done
  declare -A times=()
  for ((round = 0; round < runs; round++)); do
    for name in $timed; do times[$name]="${times[$name]:-} $(seconds "${cmd[$name]//IN/$input}")"; done
  done
  declare -A med=()
  for name in $timed; do med[$name]=$(printf '%s\n' ${times[$name]} | median); done
  row=""
  for name in txt2vb dd $peers; do row="$row $(printf '%9s' "${med[$name]:-differs}")"; done
  ratios=""
  for peer in $peers; do
    if [ "${same[$peer]}" = 1 ]; then ratios="$ratios $(ratio "${med[$peer]}" "${med[txt2vb]}")"; else ratios="$ratios -"; fi
  done
  printf '%-15s%s   %-9s%s\n' "$input" "$row" "$(ratio "${med[txt2vb]}" "${med[dd]}")" "$ratios"
  unset same times med
done
rm -f out.txt2vb out.dd out.sed out.perl out.awk
echo "(seconds, medians of $runs rounds; targets: txt2vb/dd <= 3, <= 6 on linefeeds.txt; every peer/txt2vb > 1)"
echo

# --- the output forms and the way back ---------------------------------------
# The forms of -vba -nl -chrw and -decode, each beside the default
# conversion of the same text in the same rounds. -decode reads the
# default conversion of the text. The forms write more (each line end
# becomes " & vbCrLf", each character outside ASCII a ChrW call): the
# output sizes are shown beside.
forms="-vba -nl -chrw"
declare -A fcmd
fcmd[default]="$tool -s IN > out.plain"
fcmd[dd]="dd if=IN of=out.dd bs=64K"
fcmd[forms]="$tool -s $forms IN > out.forms"
fcmd[decode]="$tool -s -decode IN.vb > out.decoded"
printf '%-14s %8s %8s %8s %8s %8s %8s   %-17s %s\n' input default dd forms "x" decode "x" "out MB (def/forms)" \
  "peak KiB (default forms decode)"
for input in source.txt crlf.txt nonascii.txt linefeeds.txt; do
  "$tool" -s "$input" > "$input.vb"
  declare -A times=()
  for ((round = 0; round < runs; round++)); do
    for name in default dd forms decode; do times[$name]="${times[$name]:-} $(seconds "${fcmd[$name]//IN/$input}")"; done
  done
  declare -A med=()
  for name in default dd forms decode; do med[$name]=$(printf '%s\n' ${times[$name]} | median); done
  peaks=""
  for name in default forms decode; do
    run=${fcmd[$name]//IN/$input}
    peaks="$peaks $( { /usr/bin/time -f %M bash -c "exec ${run% > *} > /dev/null"; } 2>&1 | tail -1)"
  done
  sizes="$(awk -v a="$(stat -c %s out.plain)" -v b="$(stat -c %s out.forms)" 'BEGIN {printf "%.0f/%.0f", a / 1e6, b / 1e6}')"
  printf '%-14s %8s %8s %8s %8s %8s %8s   %-17s%s\n' "$input" "${med[default]}" "${med[dd]}" "${med[forms]}" \
    "$(ratio "${med[forms]}" "${med[default]}")" "${med[decode]}" "$(ratio "${med[decode]}" "${med[default]}")" "$sizes" "$peaks"
  rm -f "$input.vb"
  unset times med
done
rm -f out.plain out.dd out.forms out.decoded
echo "(seconds, medians of $runs rounds; x: forms ($forms) or -decode over default, decode reading the default's"
echo " output; targets: forms <= 1.5 x default (3 x on linefeeds.txt), decode <= 2 x the conversion,"
echo " decode peak memory <= 8192 KiB; printed, not asserted)"
echo

# --- peak memory -----------------------------------------------------------
for input in linefeeds.txt source.txt long.txt; do
  kib=$( { /usr/bin/time -f %M "$tool" -s "$input" >/dev/null; } 2>&1 | tail -1)
  printf 'peak memory, %-14s %6s KiB   (target < 4096; /usr/bin/time -f %%M txt2vb -s %s)\n' "$input:" "$kib" "$input"
done
echo

# --- instructions per byte ---------------------------------------------------
if command -v valgrind >/dev/null; then
  : > empty.txt
  base=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$tool" -s empty.txt 2>&1 >/dev/null | awk '/refs/ {gsub(",", "", $NF); print $NF}')
  for input in $inputs; do
    head -c 5000000 "$input" > part.txt
    refs=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$tool" -s part.txt 2>&1 >/dev/null | awk '/refs/ {gsub(",", "", $NF); print $NF}')
    printf 'instructions per byte, %-14s %5.2f   (valgrind --tool=callgrind, first 5 MB, start-up of %s left out)\n' \
      "$input:" "$(awk -v r="$refs" -v b="$base" 'BEGIN {print (r - b) / 5000000}')" "$base"
  done
  rm -f part.txt empty.txt
  echo
fi

# --- a tree of 10,000 files, replaced in place ------------------------------
rm -rf tree.orig && ./gen_input tree tree.orig
declare -A tree
tree[txt2vb]="cd tree && $tool -r -t -s '*.txt'"
tree[sed]="find tree -name '*.txt' -exec ${sed_cmd/sed/sed -i} {} +"
tree[perl]="find tree -name '*.txt' -exec ${perl_cmd/perl -ne/perl -i -ne} {} +"
tree[awk]="find tree -name '*.txt' -exec sh -c 'for f; do awk \"\$0\" \"\$f\" > \"\$f.tmp\" && mv \"\$f.tmp\" \"\$f\"; done' '$awk_prog' {} +"
tree[floor]="cd tree && $floor"
fresh="rm -rf tree && cp -r tree.orig tree"
bash -c "$fresh" && bash -c "${tree[txt2vb]}" && rm -rf tree.txt2vb && mv tree tree.txt2vb
timed="txt2vb floor"
for peer in $peers; do
  bash -c "$fresh" && bash -c "${tree[$peer]}"
  if diff -r -q tree.txt2vb tree >/dev/null; then timed="$timed $peer"; else echo "tree: the $peer one-liner's files differ from txt2vb's; not timed"; fi
done
declare -A times=()
for ((round = 0; round < runs; round++)); do
  for name in $timed; do
    bash -c "$fresh"
    times[$name]="${times[$name]:-} $(seconds "${tree[$name]}")"
  done
done
declare -A med=()
for name in $timed; do med[$name]=$(printf '%s\n' ${times[$name]} | median); done
for name in $timed; do
  printf 'tree of 10,000 files, %-6s %8ss  %7.1f us/file  %s\n' "$name:" "${med[$name]}" \
    "$(awk -v t="${med[$name]}" 'BEGIN {print t * 100}')" \
    "$(case $name in
         txt2vb) echo "(target <= 25 us/file)" ;;
         floor) echo "(the same system calls, no conversion: what the system takes)" ;;
         *) echo "$(ratio "${med[$name]}" "${med[txt2vb]}") x txt2vb" ;;
       esac)"
done
echo "   txt2vb: ${tree[txt2vb]}"
echo "   floor: ${tree[floor]} (bench/replace_floor.cpp: open, look, create, copy, rename per file)"
for name in $peers; do echo "   $name: ${tree[$name]}"; done
# A count, not a time: every call of the run (start-up and listings too)
# over the number of files.
if command -v strace >/dev/null; then
  bash -c "$fresh"
  (cd tree && strace -f -c -o ../calls.txt "$tool" -r -t -s '*.txt')
  calls=$(awk '$NF == "total" {print $4}' calls.txt)
  printf 'tree of 10,000 files, system calls per file: %s  (target <= 15; strace -f -c of the txt2vb run above)\n' \
    "$(awk -v c="$calls" 'BEGIN {printf "%.2f", c / 10000}')"
  rm -f calls.txt
fi
rm -rf tree tree.orig tree.txt2vb

# --- one directory of 20,000 files: -e must not cost a listing per file -----
mkdir -p flat.orig && rm -f flat.orig/*.txt
for ((i = 0; i < 20000; i++)); do printf 'line %d "q"\r\n' "$i" > "flat.orig/f$i.txt"; done
declare -A flat=([plain]="cd flat && $tool -r -s '*.txt'" [newext]="cd flat && $tool -r -s -e:vb '*.txt'")
declare -A flatTimes=()
for ((round = 0; round < runs; round++)); do
  for name in plain newext; do
    rm -rf flat && cp -r flat.orig flat
    flatTimes[$name]="${flatTimes[$name]:-} $(seconds "${flat[$name]}")"
  done
done
plainMedian=$(printf '%s\n' ${flatTimes[plain]} | median)
newextMedian=$(printf '%s\n' ${flatTimes[newext]} | median)
printf 'one directory of 20,000 files: -r %ss, -r -e:vb %ss, ratio %s (target <= 2)\n' \
  "$plainMedian" "$newextMedian" "$(ratio "$newextMedian" "$plainMedian")"
rm -rf flat flat.orig

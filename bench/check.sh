#!/usr/bin/env bash
# Benchmark of `scenario check`, the command an author runs after each edit.
#
#   bench/check.sh [-n RUNS] [BUILD_DIR]      (default: 21 runs, build/bench)
#
# Two cases:
#   carried    the carried scenario's sources as exported: clean, one compile
#              in memory and its warnings.
#   errors_20  the carried line source with a train source of 30 stations
#              off a cell: the first error, then 19 more, each found by
#              compiling again with the records of the ones before set
#              aside, so 20 compiles in one run.
# Reports the median wall and CPU time and the peak resident memory.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=21
if [ "${1:-}" = "-n" ]; then
  runs=$2
  shift 2
fi
build=${1:-build/bench}

if [ "$build" = build/bench ]; then
  [ -f build/bench/CMakeCache.txt ] || cmake --preset bench >/dev/null
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target scenario measure >/dev/null
build=$(cd "$build" && pwd)
measure=$build/bench/measure
scenario=$build/scenario

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
maxof() { sort -n | tail -1; }

"$scenario" export "$tmp/src" >/dev/null
line=$(ls "$tmp/src/"*_linea.txt)
train=$(ls "$tmp/src/"*-.txt)

# Thirty stations whose chainages are not multiples of 50: each one an
# error (8) that check finds only once the ones before are left out.
{
  printf '[generale]\r\n'
  for ((k = 0; k < 30; k++)); do
    printf 'stazione,  %d, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, S%d\r\n' $((3125 + 1000 * k)) "$k"
  done
  printf '[fine]\r\n'
} >"$tmp/errors_train.txt"

errors=$("$scenario" check "$line" "$tmp/errors_train.txt" 2>&1 >/dev/null | grep -c ': error ' || true)
echo "errors_20: check reports $errors errors"

# bench_case NAME EXPECTED_STATUS COMMAND...
bench_case() {
  local name=$1 expected=$2
  shift 2
  : >"$tmp/$name"
  for ((i = 0; i < runs; i++)); do "$measure" "$tmp" "$@" >>"$tmp/$name"; done
  if awk -v e="$expected" '$3 != e { bad = 1 } END { exit !bad }' "$tmp/$name"; then
    echo "check.sh: $name: exit status $(awk '{ print $3 }' "$tmp/$name" | sort -u | tr '\n' ' ')(expected $expected)" >&2
    exit 1
  fi
}

# The carried scenario checks with warnings only or clean; take its status
# from one run and hold every run to it.
carried_status=0
"$scenario" check "$line" "$train" --quiet >/dev/null 2>&1 || carried_status=$?
bench_case carried "$carried_status" "$scenario" check "$line" "$train"
bench_case errors_20 1 "$scenario" check "$line" "$tmp/errors_train.txt"

report() {
  local name=$1
  awk -v n="$name" -v t="$(cut -d' ' -f1 "$tmp/$name" | median)" -v c="$(cut -d' ' -f4 "$tmp/$name" | median)" \
      -v m="$(cut -d' ' -f2 "$tmp/$name" | maxof)" 'BEGIN { printf "%-10s %9.1f %9.1f %9.1f\n", n, t / 1000, c / 1000, m / 1024 }'
}
echo "median of $runs runs; times in ms, peak resident memory in MiB ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
printf "%-10s %9s %9s %9s\n" case wall cpu MiB
report carried
report errors_20
echo "targets: carried < 100 ms; errors_20 < 1000 ms"

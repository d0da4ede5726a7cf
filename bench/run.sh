#!/usr/bin/env bash
# Whole-run benchmark: the program and its floor, interleaved, many times.
#
#   bench/run.sh [-n RUNS] [BUILD_DIR]      (default: 21 runs, build/bench)
#
# Two cases: the program itself on its carried scenario, and
# `scenario compile` on a generated 1,000,000 m route (with 10 km and 100 km
# routes beside it to show the cost per kilometre). Each case runs in a
# temporary directory; its floor writes the same output bytes, creates and
# deletes the two sources, and nothing else. The program and its floor
# alternate run by run, so both see the same load on the machine.
# Reports median wall time, peak resident memory and the ratio to the floor.
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
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target compactor scenario gen_route floor measure >/dev/null
build=$(cd "$build" && pwd)
measure=$build/bench/measure
floor=$build/bench/floor

# Console mode for every run: no window, and no extra program started just
# to take DISPLAY away, which the floor would not pay for.
unset DISPLAY

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# median of the first column of stdin
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
maxof() { sort -n | tail -1; }

# bench_case NAME DIR_PROGRAM DIR_FLOOR -- PROGRAM... -- FLOOR...
# Leaves the samples in $tmp/NAME.program and $tmp/NAME.floor.
bench_case() {
  local name=$1 dprog=$2 dfloor=$3
  shift 4
  local prog=() fl=()
  while [ "$1" != -- ]; do prog+=("$1"); shift; done
  shift
  fl=("$@")
  : >"$tmp/$name.program"
  : >"$tmp/$name.floor"
  for ((i = 0; i < runs; i++)); do
    # Alternate which goes first, so neither always follows the other.
    if ((i % 2)); then
      "$measure" "$dfloor" "${fl[@]}" >>"$tmp/$name.floor"
      "$measure" "$dprog" "${prog[@]}" >>"$tmp/$name.program"
    else
      "$measure" "$dprog" "${prog[@]}" >>"$tmp/$name.program"
      "$measure" "$dfloor" "${fl[@]}" >>"$tmp/$name.floor"
    fi
  done
  if awk '$3 != 0 { bad = 1 } END { exit !bad }' "$tmp/$name.program" "$tmp/$name.floor"; then
    echo "run.sh: $name: a run failed (exit statuses: $(awk '{ print $3 }' "$tmp/$name.program" | sort -u | tr '\n' ' '))" >&2
    exit 1
  fi
}

# One line of the report: name, program and floor medians of wall time,
# their ratio, the same for CPU time (less swayed by the machine's load),
# and the peak memory of each.
report() {
  local name=$1 pt ft pc fc pm fm
  pt=$(cut -d' ' -f1 "$tmp/$name.program" | median)
  ft=$(cut -d' ' -f1 "$tmp/$name.floor" | median)
  pc=$(cut -d' ' -f4 "$tmp/$name.program" | median)
  fc=$(cut -d' ' -f4 "$tmp/$name.floor" | median)
  pm=$(cut -d' ' -f2 "$tmp/$name.program" | maxof)
  fm=$(cut -d' ' -f2 "$tmp/$name.floor" | maxof)
  awk -v n="$name" -v pt="$pt" -v ft="$ft" -v pc="$pc" -v fc="$fc" -v pm="$pm" -v fm="$fm" 'BEGIN {
    printf "%-16s %9.1f %9.1f %6.2f %9.1f %9.1f %6.2f %9.1f %9.1f\n", n, pt / 1000, ft / 1000, pt / ft,
      pc / 1000, fc / 1000, pc / fc, pm / 1024, fm / 1024 }'
}

# --- The carried scenario: the program as users run it, no display.
mkdir -p "$tmp/carried/program" "$tmp/carried/floor" "$tmp/carried/ref"
cp "$build/compactor" "$tmp/carried/program/"
(cd "$tmp/carried/program" && ./compactor)
"$build/scenario" export "$tmp/carried/ref" >/dev/null
cp "$tmp/carried/program/"*.dat "$tmp/carried/program/"*.sim "$tmp/carried/ref/"
R=Orvena_Lusco
T="REG 4105"
ref=$tmp/carried/ref
bench_case carried "$tmp/carried/program" "$tmp/carried/floor" -- \
  ./compactor -- \
  "$floor" . \
  write "${R}_linea.txt" "$ref/${R}_linea.txt" \
  write "${R}_$T-.txt" "$ref/${R}_$T-.txt" \
  write "${R}_${T}_note.txt" "$ref/${R}_${T}_note.txt" \
  write "${R}_${T}_rallentamenti.txt" "$ref/${R}_${T}_rallentamenti.txt" \
  write "${R}_${T}_scheda_treno.txt" "$ref/${R}_${T}_scheda_treno.txt" \
  delete "${R}_linea.txt" delete "${R}_$T-.txt" \
  write "${R}_linea.dat" "$ref/${R}_linea.dat" \
  write "${R}_$T.sim" "$ref/${R}_$T.sim" \
  write "${R}_$T.dat" "$ref/${R}_$T.dat"

# --- Generated routes through `scenario compile`.
for metri in 10000 100000 1000000; do
  c=$tmp/route_$metri
  mkdir -p "$c/program" "$c/floor" "$c/src"
  "$build/bench/gen_route" "$metri" "$c/src/linea.txt" "$c/src/treno.txt"
  compile=("$build/scenario" compile "$c/src/linea.txt" "$c/src/treno.txt" --route R --train "T 1" --out "$c/program")
  (cd "$c/program" && "${compile[@]}" >/dev/null 2>&1)
  bench_case "route_$metri" "$c/program" "$c/floor" -- \
    "${compile[@]}" -- \
    "$floor" . \
    write R_linea.txt "$c/src/linea.txt" write "R_T 1-.txt" "$c/src/treno.txt" \
    delete R_linea.txt delete "R_T 1-.txt" \
    write R_linea.dat "$c/program/R_linea.dat" \
    write "R_T 1.sim" "$c/program/R_T 1.sim" \
    write "R_T 1.dat" "$c/program/R_T 1.dat"
done

echo "median of $runs runs; times in ms, peak resident memory in MiB ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
printf "%-16s %9s %9s %6s %9s %9s %6s %9s %9s\n" case wall floor ratio cpu floor ratio MiB floor
report carried
for metri in 10000 100000 1000000; do report "route_$metri"; done
# Cost per kilometre: the slope between the 100 km and the 1,000 km route.
awk -v a="$(cut -d' ' -f1 "$tmp/route_100000.program" | median)" \
    -v b="$(cut -d' ' -f1 "$tmp/route_1000000.program" | median)" \
    -v fa="$(cut -d' ' -f1 "$tmp/route_100000.floor" | median)" \
    -v fb="$(cut -d' ' -f1 "$tmp/route_1000000.floor" | median)" 'BEGIN {
  printf "per km (100 km to 1,000 km): program %.1f us, floor %.1f us\n", (b - a) / 900, (fb - fa) / 900 }'
echo "targets: carried <= 1.25 x floor and <= 10 MiB; route_100000 <= 1.4 x floor; route_1000000 <= 1.5 x floor and <= 24 MiB"

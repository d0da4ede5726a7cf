#!/usr/bin/env bash
# Benchmark of `scenario view`: from a source saved on disk to the page
# having drawn the new state, median and 95th percentile over 50 saves, and
# the size of the state the page loads.
#
#   bench/view.sh [-n SAVES] [BUILD_DIR]      (default: 50 saves, build/bench)
#
# Two cases: the carried scenario, and a generated 1,000,000 m route.
# Needs node, the browser test's packages (tools/setup) and chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

saves=50
if [ "${1:-}" = "-n" ]; then
  saves=$2
  shift 2
fi
build=${1:-build/bench}

if [ "$build" = build/bench ]; then
  [ -f build/bench/CMakeCache.txt ] || cmake --preset bench >/dev/null
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target scenario gen_route >/dev/null
build=$(cd "$build" && pwd)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$build/scenario" export "$tmp/carried" >/dev/null
node bench/view_latency.js "$build/scenario" "$tmp/carried/Orvena_Lusco_linea.txt" \
  "$tmp/carried/Orvena_Lusco_REG 4105-.txt" carried "$saves"

mkdir -p "$tmp/long"
"$build/bench/gen_route" 1000000 "$tmp/long/linea.txt" "$tmp/long/treno.txt"
node bench/view_latency.js "$build/scenario" "$tmp/long/linea.txt" "$tmp/long/treno.txt" route_1000000 "$saves"
echo "targets: carried median and p95 <= 50 ms, state <= 1 MB; route_1000000 <= 300 ms"

#!/usr/bin/env bash
# Time and peak memory of `scenario check` on hostile sources, each just
# under the 64 MiB a source may hold: what a run costs at the worst.
#
#   bench/hostile.sh [BUILD_DIR]      (default: build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
[ -f "$build/CMakeCache.txt" ] || cmake --preset default >/dev/null
cmake --build "$build" --target scenario >/dev/null
scenario=$(cd "$build" && pwd)/scenario

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 - "$tmp" <<'PY'
import sys
d = sys.argv[1]
head = '[generale]\r\nlunghezza percorso,    20000\r\n'
def write(name, text):
    open(f'{d}/{name}', 'w', newline='').write(text)
write('unknown.txt', head + 'xx\r\n' * 10_000_000 + '[fine]\r\n')          # 10 M misspelt lines
write('letters.txt', head + 'x\r\n' * 20_000_000)                          # 20 M one-letter lines
write('repeated.txt', '[generale]\r\n' + 'lunghezza percorso,    20000\r\n' * 2_000_000 + '[fine]\r\n')
write('skipped.txt', head + '[xxxxxxxxxxxxxxxxxxxxxxxxx]\r\n' * 2_000_000 + '[fine]\r\n')
write('train.txt', '[generale]\r\nvelocita,   0,    30\r\n[fine]\r\n')
PY
printf '%-14s %10s %8s %12s\n' source MB seconds "peak MiB"
for f in unknown letters repeated skipped; do
  size=$(stat -c %s "$tmp/$f.txt")
  /usr/bin/time -o "$tmp/time" -f '%e %M' "$scenario" check --quiet "$tmp/$f.txt" "$tmp/train.txt" >/dev/null 2>&1 || true
  read -r secs kb < <(tail -1 "$tmp/time")
  printf '%-14s %10.1f %8s %12.0f\n' "$f" "$(echo "$size / 1000000" | bc -l)" "$secs" "$(echo "$kb / 1024" | bc -l)"
done

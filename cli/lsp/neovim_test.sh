#!/usr/bin/env bash
# A real editor as the client: headless Neovim opens the carried train
# source with one station broken, waits for the server's diagnostics through
# its own LSP client, then asks for the hover at a signal.
#   neovim_test.sh SCENARIO_BINARY
set -euo pipefail
scenario=$1
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v nvim >/dev/null; then
  echo "nvim not found: skipped" >&2
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$scenario" export "$dir/s" >/dev/null
source="$dir/s/Orvena_Lusco_REG 4105-.txt"
# Line 54: the zone length 400 becomes 450, not a multiple of 100 (error 9).
sed -i '54s/stazione,    3100, 12,  400/stazione,    3100, 12,  450/' "$source"
grep -q '3100, 12,  450' "$source"

OUT="$dir/seen.txt" SOURCE="$source" SCENARIO="$scenario" HOVER_LINE=116 HOME="$dir" XDG_CONFIG_HOME="$dir" \
  XDG_DATA_HOME="$dir" XDG_STATE_HOME="$dir" timeout 120 nvim --headless --clean -c "luafile $here/neovim_test.lua" \
  </dev/null >/dev/null 2>&1 || true
cat "$dir/seen.txt"
grep -q '^diagnostic 54:24 error 9 a station.s zone length is not a multiple of 100' "$dir/seen.txt"
grep -q '^hover .*cell 598 (from m 29850), signal: tipo 1, dato1 42, dato2 11' "$dir/seen.txt"
echo "Neovim saw error 9 at 54:24 and the signal's cell in the hover"

#!/usr/bin/env bash
# The Windows programs under Wine, beside the Linux build: the same bytes,
# Windows paths and names, the error stop, a blocked output and the window.
#   wine_test.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR SOURCE_DIR
# Wine's prefix is $WINEPREFIX when set (./dev test makes one per run),
# else a fresh one made and removed here.
set -u
win=$1
linux=$2
src=$3
command -v wine >/dev/null || { echo "wine missing"; exit 77; }
for f in "$linux/compactor" "$linux/scenario"; do
  [ -x "$f" ] || { echo "FAIL: $f missing: the Linux build comes first"; exit 1; }
done

work=$(mktemp -d)
own_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$work/prefix
  own_prefix=1
fi
export WINEDEBUG=-all
cleanup() {
  [ -n "$own_prefix" ] && wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# Windows of this part are tested under Xvfb below; everything else runs
# without a display, as on a machine without a desktop.
unset DISPLAY

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
# "Z:\..." for a path of this machine.
winpath() { echo "Z:${1//\//\\}"; }
same_files() {  # dir_a dir_b names...
  local a=$1 b=$2 name ok=1
  shift 2
  for name in "$@"; do
    if ! cmp -s "$a/$name" "$b/$name"; then
      fail "$name differs between $a and $b"
      ok=
    fi
  done
  [ -n "$ok" ]
}

outputs=("Orvena_Lusco_linea.dat" "Orvena_Lusco_REG 4105.sim" "Orvena_Lusco_REG 4105.dat"
  "Orvena_Lusco_REG 4105_scheda_treno.txt" "Orvena_Lusco_REG 4105_rallentamenti.txt" "Orvena_Lusco_REG 4105_note.txt")

# --- the programs need no DLL beside them: only the system's own
if command -v x86_64-w64-mingw32-objdump >/dev/null; then
  for exe in compactor.exe scenario.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$win/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u)
    other=$(echo "$dlls" | grep -v -x -e KERNEL32.DLL -e MSVCRT.DLL -e USER32.DLL -e GDI32.DLL -e SHELL32.DLL \
      -e WS2_32.DLL -e MSWSOCK.DLL -e ADVAPI32.DLL)
    [ -z "$other" ] || fail "$exe needs DLLs that Windows does not have: $other"
  done
  [ "$failures" -eq 0 ] && pass "compactor.exe and scenario.exe use only the system's DLLs"
fi
for exe in compactor.exe scenario.exe; do
  grep -q -a "<ws2:longPathAware>true</ws2:longPathAware>" "$win/$exe" || fail "$exe carries no long-path manifest"
done

# --- the program: a run next to itself, the six files as on Linux
mkdir -p "$work/lin" "$work/win"
cp "$linux/compactor" "$work/lin/"
cp "$win/compactor.exe" "$work/win/"
(cd / && "$work/lin/compactor") || fail "the Linux run"
start=$(date +%s%N)
(cd / && wine "$work/win/compactor.exe" >"$work/win.out" 2>"$work/win.err")
status=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
if [ "$status" -eq 0 ] && [ ! -s "$work/win.err" ]; then
  same_files "$work/lin" "$work/win" "${outputs[@]}" && pass "compactor.exe: six files identical to Linux (${elapsed} ms under Wine)"
else
  fail "compactor.exe ended with $status: $(cat "$work/win.err")"
fi
[ "$(ls "$work/win" | wc -l)" -eq 7 ] || fail "compactor.exe left other files: $(ls "$work/win")"

# --- a blocked output: the old grid file read-only; status 4, old files whole
mkdir "$work/blocked"
cp "$win/compactor.exe" "$work/blocked/"
for name in "${outputs[@]}"; do printf 'old %s\r\n' "$name" >"$work/blocked/$name"; done
chmod a-w "$work/blocked/Orvena_Lusco_REG 4105.dat"
wine "$work/blocked/compactor.exe" >/dev/null 2>"$work/blocked.err"
status=$?
if [ "$status" -eq 4 ] && grep -q "Orvena_Lusco_REG 4105.dat" "$work/blocked.err"; then
  pass "read-only old grid file: status 4: $(tr -d '\r' <"$work/blocked.err")"
else
  fail "read-only old grid file: status $status: $(cat "$work/blocked.err")"
fi
for name in "Orvena_Lusco_linea.dat" "Orvena_Lusco_REG 4105.sim" "Orvena_Lusco_REG 4105.dat"; do
  [ "$(cat "$work/blocked/$name")" = "$(printf 'old %s\r\n' "$name")" ] || fail "$name was not kept whole"
done
ls "$work/blocked" | grep -q -e '-\.txt$' -e '_linea\.txt$' -e '\.tmp-' && fail "left behind: $(ls "$work/blocked")"

# --- Ctrl-C: Wine hands a SIGINT to the console's handlers as Ctrl-C.
# Interrupted at any moment, a run ends with status 130 (or finishes), and
# leaves no temporary and no source; its compiled files are one set.
mkdir "$work/ctrl-c"
cp "$win/compactor.exe" "$work/ctrl-c/"
compiled=("Orvena_Lusco_linea.dat" "Orvena_Lusco_REG 4105.sim" "Orvena_Lusco_REG 4105.dat")
interrupted=0
failures_before=$failures
old_version() { printf 'old %s\r\n' "$1"; }
start=$(date +%s%N)
wine "$work/ctrl-c/compactor.exe" >/dev/null 2>&1
whole=$((($(date +%s%N) - start) / 1000))  # a whole run, in microseconds
for run in $(seq 1 16); do
  rm -f "$work/ctrl-c/"*.txt "$work/ctrl-c/"*.dat "$work/ctrl-c/"*.sim "$work/ctrl-c/"*.tmp-*
  for name in "${outputs[@]}"; do old_version "$name" >"$work/ctrl-c/$name"; done
  wine "$work/ctrl-c/compactor.exe" >/dev/null 2>&1 &
  pid=$!
  if [ $((run % 2)) -eq 0 ]; then
    # While it writes: as soon as its first temporary is there (builtins
    # only, so the wait is short).
    while kill -0 "$pid" 2>/dev/null && ! compgen -G "$work/ctrl-c/*.tmp-*" >/dev/null; do :; done
  else
    # At any moment from a third of a run (Wine's own start) to its end.
    moment=$((whole / 3 + RANDOM * (whole * 2 / 3) / 32768))
    sleep "$(printf '%d.%06d' $((moment / 1000000)) $((moment % 1000000)))"
  fi
  kill -INT "$pid" 2>/dev/null
  wait "$pid"
  status=$?
  case $status in
    0) ;;
    130) interrupted=$((interrupted + 1)) ;;
    *) fail "Ctrl-C: status $status" ;;
  esac
  left=
  for f in "$work/ctrl-c"/*; do
    name=${f##*/}
    known=
    for o in compactor.exe "${outputs[@]}"; do [ "$name" = "$o" ] && known=1; done
    [ -n "$known" ] || left="$left '$name'"
  done
  [ -z "$left" ] || fail "Ctrl-C: left behind:$left"
  new=0
  for name in "${compiled[@]}"; do
    cmp -s "$work/ctrl-c/$name" <(old_version "$name") || new=$((new + 1))
  done
  [ "$new" -eq 0 ] || [ "$new" -eq 3 ] || fail "Ctrl-C: $new of the three compiled files new"
  for name in "${outputs[@]}"; do
    cmp -s "$work/ctrl-c/$name" <(old_version "$name") || cmp -s "$work/ctrl-c/$name" "$work/lin/$name" ||
      fail "Ctrl-C: $name is neither the old nor the new file"
  done
done
if [ "$interrupted" -gt 0 ] && [ "$failures" -eq "$failures_before" ]; then
  pass "Ctrl-C: $interrupted of 16 runs interrupted (status 130), nothing left behind, the compiled files one set"
elif [ "$interrupted" -eq 0 ]; then
  fail "Ctrl-C: no run was interrupted (a whole run took $((whole / 1000)) ms)"
fi

# --- the author tool with Windows paths and names
texts=$src/emitters/texts
named="$work/città dir"
mkdir -p "$named"
cp "$texts/linea.txt" "$named/linea.txt"
cp "$texts/treno.txt" "$named/treno corsa.txt"
wl=$(winpath "$named/linea.txt")
wt=$(winpath "$named/treno corsa.txt")
scenario() { wine "$win/scenario.exe" "$@"; }

scenario compile "$wl" "$wt" --route "Città" --train "REG 4105" --out "$(winpath "$work/win-out")" --quiet \
  >"$work/c.out" 2>"$work/c.err" || fail "scenario.exe compile: $(cat "$work/c.err")"
"$linux/scenario" compile "$named/linea.txt" "$named/treno corsa.txt" --route "Città" --train "REG 4105" \
  --out "$work/lin-out" --quiet || fail "Linux scenario compile"
# The name is Windows-1252 in the file names on Linux, UTF-16 on Windows.
for kind in "_linea.dat" "_REG 4105.sim" "_REG 4105.dat"; do
  lin_name="$(printf 'Citt\xe0')$kind"
  cmp -s "$work/lin-out/$lin_name" "$work/win-out/Città$kind" || fail "compile: Città$kind differs from Linux"
done
[ "$failures" -eq 0 ] && pass "scenario.exe compile with a Z:\\ path, a blank and an accented letter: same bytes"

scenario check "$wl" "$wt" >"$work/check.out" 2>&1
status=$?
"$linux/scenario" check "$named/linea.txt" "$named/treno corsa.txt" >"$work/check.lin" 2>&1
[ "$status" -le 1 ] || [ "$status" -eq 5 ] || fail "check: status $status: $(cat "$work/check.out")"
tail -n 1 "$work/check.out" | grep -q "errors\?,\|error," || fail "check: no count: $(cat "$work/check.out")"
[ "$(tail -n 1 "$work/check.out")" = "$(tail -n 1 "$work/check.lin")" ] || fail "check counts differ"

scenario dump "$(winpath "$work/win-out/Città_REG 4105.dat")" --json >"$work/dump.win" 2>"$work/dump.err" ||
  fail "dump: $(cat "$work/dump.err")"
"$linux/scenario" dump "$work/lin-out/$(printf 'Citt\xe0')_REG 4105.dat" --json >"$work/dump.lin" || fail "Linux dump"
# Only the file's own path may differ.
grep -v '^  "file": ' "$work/dump.win" >"$work/dump.win.n"
grep -v '^  "file": ' "$work/dump.lin" >"$work/dump.lin.n"
cmp -s "$work/dump.win.n" "$work/dump.lin.n" || fail "dump --json differs from Linux: $(diff "$work/dump.win.n" "$work/dump.lin.n" | head -5)"

# The Linux files' names hold the Windows-1252 byte, which Wine does not
# read as a letter: the copies take the name as Windows writes it.
mkdir "$work/lin-copy"
for kind in "_linea.dat" "_REG 4105.sim" "_REG 4105.dat"; do
  cp "$work/lin-out/$(printf 'Citt\xe0')$kind" "$work/lin-copy/Città$kind"
done
scenario diff "$(winpath "$work/win-out")" "$(winpath "$work/lin-copy")" >"$work/diff.out" 2>&1 ||
  fail "diff between the Windows and the Linux compile: $(cat "$work/diff.out")"

scenario render "$(winpath "$work/win-out")" --route "Città" --train "REG 4105" -o - >"$work/win.svg" 2>"$work/render.err" ||
  fail "render -o -: $(cat "$work/render.err")"
"$linux/scenario" render "$work/lin-out" --route "Città" --train "REG 4105" -o - >"$work/lin.svg" || fail "Linux render"
cmp -s "$work/win.svg" "$work/lin.svg" || fail "render -o - differs from Linux (standard output not binary-safe?)"

scenario export "$(winpath "$work/exported é")" >/dev/null 2>"$work/export.err" || fail "export: $(cat "$work/export.err")"
"$linux/scenario" export "$work/exported-lin" >/dev/null || fail "Linux export"
for t in "Orvena_Lusco_linea.txt" "Orvena_Lusco_REG 4105-.txt" "Orvena_Lusco_REG 4105_note.txt"; do
  cmp -s "$work/exported é/$t" "$work/exported-lin/$t" || fail "export: $t differs from Linux"
done
grep -q $'\r$' "$work/exported é/Orvena_Lusco_linea.txt" || fail "export: no CR LF"
[ "$failures" -eq 0 ] && pass "scenario.exe check, dump, diff, render -o -, export: as on Linux"

# --- a folder past MAX_PATH: made, written and read back
deep="$work/$(printf 'a%.0s' {1..120})/$(printf 'b%.0s' {1..120})/out"
chars=$(winpath "$deep" | tr -d '\n' | wc -c)
"$linux/scenario" compile "$named/linea.txt" "$named/treno corsa.txt" --route R --train T --out "$work/deep-lin" \
  --quiet || fail "Linux compile R T"
if scenario compile "$wl" "$wt" --route R --train T --out "$(winpath "$deep")" --quiet >/dev/null 2>"$work/deep.err" &&
  scenario dump "$(winpath "$deep/R_T.dat")" --json >"$work/deep.json" 2>>"$work/deep.err"; then
  same_files "$work/deep-lin" "$deep" "R_linea.dat" "R_T.sim" "R_T.dat" &&
    pass "a folder of $chars characters: made, written (same bytes) and read"
else
  fail "a folder of $chars characters: $(cat "$work/deep.err")"
fi

# --- the error stop: a code drop on cell 1 takes the place of the grid's mark
sed 's/^\[fine\]/abbattimento,      50,   270\r\n[fine]/' "$texts/treno.txt" >"$work/stop treno.txt"
scenario compile "$wl" "$(winpath "$work/stop treno.txt")" --route R --train T --out "$(winpath "$work/stop-out")" \
  >"$work/stop.out" 2>"$work/stop.err"
status=$?
if [ "$status" -eq 3 ] && grep -q "error 1250" "$work/stop.err" &&
  [ -z "$(ls -A "$work/stop-out" 2>/dev/null)" ]; then
  pass "the error stop: status 3, nothing written"
else
  fail "the error stop: status $status, said $(cat "$work/stop.err"), wrote $(ls "$work/stop-out" 2>/dev/null)"
fi

# --- same bytes for a route of 1,000,000 m
sed 's/^lunghezza percorso, *[0-9]*/lunghezza percorso, 1000000/' "$texts/linea.txt" >"$work/long.txt"
scenario compile "$(winpath "$work/long.txt")" "$(winpath "$texts/treno.txt")" --route L --train T \
  --out "$(winpath "$work/long-win")" --quiet >/dev/null 2>"$work/long.err"
s_win=$?
"$linux/scenario" compile "$work/long.txt" "$texts/treno.txt" --route L --train T --out "$work/long-lin" --quiet \
  >/dev/null 2>&1
s_lin=$?
[ "$s_win" -eq "$s_lin" ] || fail "1,000,000 m: status $s_win on Windows, $s_lin on Linux: $(cat "$work/long.err")"
same_files "$work/long-lin" "$work/long-win" "L_linea.dat" "L_T.sim" "L_T.dat" &&
  pass "1,000,000 m route: the three compiled files identical to Linux ($(stat -c %s "$work/long-win/L_linea.dat") bytes of plan)"

# --- the window on a virtual display: its caption and its label on the screen
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  # Wine's desktop belongs to its server's session, started above without a
  # display: a new session for the display.
  wineserver -w
  mkdir "$work/shown"
  cp "$win/compactor.exe" "$work/shown/"
  cat >"$work/window.sh" <<'INNER'
set -u
COMPACTOR_TEST_HOLD_WINDOW_MS=15000 wine "$1/compactor.exe" &
program=$!
wid=$(timeout 60 xdotool search --sync --onlyvisible --name '^Form1$' | head -n 1)
[ -n "$wid" ] || { echo "no window named Form1"; kill $program; exit 1; }
if [ -x "$2/unit_tests" ]; then
  # Mapped is not yet painted: Wine paints a moment later, so the pixels
  # are read again for a few seconds before they count as wrong.
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    COMPACTOR_TEST_WINDOW_ID=$wid "$2/unit_tests" --gtest_filter='ProgramWindow.*' --gtest_brief=1 >"$1/pixels.log" 2>&1 && break
    [ "$attempt" -eq 10 ] && { cat "$1/pixels.log"; wait $program; exit 2; }
    sleep 0.5
  done
fi
wait $program || { echo "the run ended with $?"; exit 3; }
# The error stop's box: modal until OK, titled with the program's name,
# then status 3.
COMPACTOR_TEST_ERROR_BOX=1 timeout 120 wine "$3/unit_tests.exe" --gtest_filter='ErrorBoxOnDisplayDeathTest.*' >"$1/box.log" 2>&1 &
program=$!
box=$(timeout 60 xdotool search --sync --onlyvisible --name '^compactor$' | head -n 1)
[ -n "$box" ] || { echo "no error box titled compactor"; kill $program; exit 4; }
xdotool key --window "$box" Return
wait $program || { echo "the error stop on the display: $(cat "$1/box.log")"; exit 5; }
grep -q '\[  PASSED  \] 1 test' "$1/box.log" || { echo "the error box test did not run: $(cat "$1/box.log")"; exit 6; }
INNER
  if xvfb-run -a -s "-screen 0 640x480x24" bash "$work/window.sh" "$work/shown" "$linux" "$win" >"$work/window.log" 2>&1; then
    pass "window Form1 shown and its label painted under Xvfb; the error stop's box waits for OK, then status 3"
  else
    fail "the window under Xvfb: $(cat "$work/window.log")"
  fi
else
  echo "skipped: the window (xvfb-run or xdotool missing)"
fi

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "all Windows checks passed"

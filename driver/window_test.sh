#!/usr/bin/env bash
# Runs the program under a virtual display and checks that its window is
# there, with its caption and size, and painted with its label, while the
# run lasts; then checks the label's widget through the toolkit.
#   window_test.sh COMPACTOR UNIT_TESTS
set -u
compactor=$1
unit_tests=$2
command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v xwininfo >/dev/null || {
  echo "Xvfb, xdotool or xwininfo missing"; exit 77; }
module=$(dirname "$compactor")/compactor_window.so
[ -f "$module" ] || { echo "the window module was not built (no toolkit)"; exit 77; }

work=$(mktemp -d)
cleanup() { [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

# A free display number.
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display

cp "$compactor" "$work/compactor"
# The window module sits beside the program.
cp "$module" "$work/"
program=
fail() { echo "FAIL: $*"; [ -n "$program" ] && kill "$program" 2>/dev/null; exit 1; }

# Whether the window is painted before the run goes on depends on when the
# display gets to it: look at a few runs, not one.
for run in 1 2 3; do
  rm -f "$work/Orvena_Lusco_REG 4105.sim"
  COMPACTOR_TEST_HOLD_WINDOW_MS=4000 "$work/compactor" 2>"$work/stderr" &
  program=$!

  wid=$(timeout 10 xdotool search --sync --onlyvisible --name '^Form1$' | head -n 1) || fail "no window named Form1"
  info=$(xwininfo -id "$wid")
  echo "$info" | grep -q 'Width: 280' || fail "width is not 280: $info"
  echo "$info" | grep -q 'Height: 179' || fail "height is not 179: $info"
  echo "$info" | grep -q 'Map State: IsViewable' || fail "window not viewable"
  # What the display shows in the program's window while the program holds it.
  COMPACTOR_TEST_WINDOW_ID=$wid "$unit_tests" --gtest_filter='ProgramWindow.*' ||
    fail "run $run: the window is not painted"

  wait "$program"
  status=$?
  program=
  [ "$status" -eq 0 ] || fail "the run ended with status $status: $(cat "$work/stderr")"
  xdotool search --name '^Form1$' >/dev/null 2>&1 && fail "the window is still there after the run"
  ls "$work" | grep -q 'Orvena_Lusco_REG 4105.sim' || fail "the run wrote no scenario file"
  [ -s "$work/stderr" ] && fail "the run said: $(cat "$work/stderr")"
done

# Without its module the program still does its whole job, and says why
# there is no window.
rm "$work/compactor_window.so" "$work/Orvena_Lusco_REG 4105.sim"
"$work/compactor" 2>"$work/stderr" || fail "the run without the window module failed"
grep -q "no window" "$work/stderr" || fail "no word of the missing window: $(cat "$work/stderr")"
[ -e "$work/Orvena_Lusco_REG 4105.sim" ] || fail "the run without the window module wrote no scenario file"

"$unit_tests" --gtest_filter='WindowOnDisplay.*' || fail "label checks"

# The error stop on the display: its box with the message and no icon,
# until OK is pressed; then status 3. The time limit only keeps a box that
# does not close from holding the test.
COMPACTOR_TEST_ERROR_BOX=1 timeout 30 "$unit_tests" --gtest_filter='ErrorBoxOnDisplayDeathTest.*' >"$work/box" 2>&1 &
program=$!
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^compactor$' | head -n 1) || fail "no error box"
[ -n "$box" ] || fail "no error box"
COMPACTOR_TEST_BOX_ID=$box "$unit_tests" --gtest_filter='ErrorBox.*' || fail "the error box"
xdotool key --window "$box" Return 2>/dev/null
wait "$program" || fail "the error stop on the display: $(cat "$work/box")"
program=
grep -q '\[  PASSED  \] 1 test' "$work/box" || fail "the error stop on the display did not run: $(cat "$work/box")"
echo "window present and painted while running, with caption, size and label; error box without icon"

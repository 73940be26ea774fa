#!/usr/bin/env bash
# A user's session with zenvrix.exe, driven by real X input (xdotool) on the test
# display: the window opens with its title, a screenshot is taken, the Info dialog
# opens from the menu by keyboard, ignores Escape and closes with Enter, and
# File > Exit ends the program with exit code 1.
# Run by CTest with the build tree as working directory; needs DISPLAY, WINEPREFIX.
set -u
fail() { echo "FAIL: $*"; xdotool key alt+F4 >/dev/null 2>&1; exit 1; }
find_window() {
  local name=$1 w=""
  for _ in $(seq 150); do
    w=$(xdotool search --name "$name" 2>/dev/null | head -1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}

"${WINE:-wine}" ./zenvrix.exe &
program=$!
main=$(find_window "^Zenvrix - ${ZENVRIX_BITS:-32} bit ver.$") || fail "the main window did not appear"
sleep 1
mkdir -p failures
import -window "$main" failures/user_session_start.png || fail "no screenshot"
geometry=$(xdotool getwindowgeometry "$main" | awk '/Geometry/ {print $2}')
[ "${geometry%x*}" -gt 300 ] || fail "window too small: $geometry"

xdotool windowfocus "$main"
xdotool key alt+i o
info=$(find_window "^Info$") || fail "Info... did not open the Info dialog"
xdotool key Escape
sleep 0.5
xdotool search --name "^Info$" >/dev/null 2>&1 || fail "Escape closed the Info dialog"
xdotool key Return
for _ in $(seq 50); do xdotool search --name "^Info$" >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --name "^Info$" >/dev/null 2>&1 && fail "Enter did not close the Info dialog"

xdotool windowfocus "$main"
xdotool key alt+f x
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "File > Exit did not end the program"
wait "$program"
code=$?
[ "$code" = 1 ] || fail "exit code $code, expected 1"
rm -f failures/user_session_start.png
echo "1 passed, 0 failed"

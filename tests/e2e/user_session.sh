#!/usr/bin/env bash
# A user's session with zenvrix.exe driven by real X input (xdotool): the window
# opens with its title, the Info dialog opens from the menu by keyboard, ignores
# Escape and closes with Enter, and File > Exit ends the program with exit code 1.
# Run by CTest in the build tree; needs DISPLAY and WINEPREFIX.
set -u
fail() { echo "FAIL: $*"; import -window root failures-user_session.png; xdotool key alt+F4; exit 1; }
appears() { timeout 15 xdotool search --sync --name "$1" >/dev/null 2>&1; }
"${WINE:-wine}" ./zenvrix.exe &
program=$!
appears "^Zenvrix - ${ZENVRIX_BITS:-32} bit ver.$" || fail "the main window did not appear"
sleep 1
xdotool windowfocus "$(xdotool search --name '^Zenvrix - ' | head -1)" key alt+i o
appears "^Info$" || fail "Info... did not open the Info dialog"
xdotool key Escape && sleep 0.5
appears "^Info$" || fail "Escape closed the Info dialog"
xdotool key Return
for _ in $(seq 50); do xdotool search --name "^Info$" >/dev/null 2>&1 && sleep 0.1 || break; done
xdotool search --name "^Info$" >/dev/null 2>&1 && fail "Enter did not close the Info dialog"
xdotool windowfocus "$(xdotool search --name '^Zenvrix - ' | head -1)" key alt+f x
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null && sleep 0.1 || break; done
kill -0 "$program" 2>/dev/null && fail "File > Exit did not end the program"
wait "$program"; [ $? = 1 ] || fail "exit code other than 1"
echo "1 passed, 0 failed"

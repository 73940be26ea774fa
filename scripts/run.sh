#!/usr/bin/env bash
# Installs what is missing, builds and starts Zenvrix: the 32-bit program where this
# host runs 32-bit code, the 64-bit one elsewhere.  With a display the window opens as
# usual.  Without one, the program runs on a private virtual display; a screenshot of
# its window is saved as PNG, its path printed, and the program is closed again.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
had_display=""
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then had_display=1; fi
source "$top/scripts/wine-env.sh"
find_arches
arch=${ZENVRIX_ARCHES%% *}
use_arch "$arch"
title="Zenvrix - 32 bit ver."
[ "$arch" = win64 ] && title="Zenvrix - 64 bit ver."
echo "starting the ${arch#win}-bit program: $build/zenvrix.exe"
trap stop_wine_and_display EXIT
start_display
if [ -n "$had_display" ]; then make_prefix managed; else make_prefix; fi
cd "$build"
if [ -n "$had_display" ]; then
  "$WINE" ./zenvrix.exe
  exit 0
fi
"$WINE" ./zenvrix.exe &
program=$!
window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  # A box at start-up (for example when no printer is installed) is answered with Enter.
  box=$(xdotool search --name "^Error$" 2>/dev/null | head -1 || true)
  [ -n "$box" ] && { xdotool key --window "$box" Return 2>/dev/null || true; }
  sleep 0.1
done
[ -n "$window" ] || { echo "the Zenvrix window did not appear" >&2; exit 1; }
sleep 2
shot="$build/zenvrix-screenshot.png"
# The screen's pixels where the window lies (the window's own X image may not be
# readable while the program keeps drawing into it).
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"
echo "screenshot: $shot"
# Close it as the system would: WM_CLOSE to its window, then wait for the exit.
"$WINE" taskkill /im zenvrix.exe >/dev/null 2>&1 || true
wait "$program" || true

# Sourced by the run and test scripts: which builds this host can run, the build
# tree's own Wine prefix, a display (a private Xvfb when there is none) and helpers
# to stop what was started.  Needs $top (the source tree).
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
started_xvfb=""

# find_arches: sets ZENVRIX_ARCHES to the builds whose programs run here and says so
# in one line.  32-bit Windows programs need Wine's 32-bit loader, which a kernel
# without IA-32 support cannot start ("Exec format error"): so it is simply tried.
find_arches() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    ZENVRIX_ARCHES="win32 win64"
    echo "host: runs 32-bit and 64-bit Windows programs under Wine (win32 and win64 builds)"
  else
    ZENVRIX_ARCHES="win64"
    echo "host: runs no 32-bit code (Wine's 32-bit loader does not start); the 64-bit build alone runs here"
  fi
}

# use_arch win32|win64: the build tree, its Wine prefix and the Wine loader for it.
# The 64-bit program is started by Wine's 64-bit loader itself, and so is every Wine
# tool (wineboot, reg, taskkill): /usr/bin/wine would pick the 32-bit loader.
use_arch() {
  build="$top/build-$1"
  export WINEPREFIX="$build/wineprefix"
  if [ "$1" = win64 ]; then
    WINE=/usr/lib/wine/wine64
    export WINELOADER=$WINE
  else
    WINE=wine
    unset WINELOADER
  fi
  export WINE
}

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    started_xvfb=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    kill "$started_xvfb" 2>/dev/null || true
  done
  echo "no display could be started" >&2
  return 1
}

# make_prefix [managed]: creates the prefix once.  Without a window manager (a
# private Xvfb) windows are left unmanaged, or Wine waits two seconds for a window
# manager's answer every time a window is hidden.
make_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating Wine prefix $WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
  fi
  local managed=N
  [ "${1:-}" = managed ] && managed=Y
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1 || true
  wineserver -w
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
}

stop_wine_and_display() {
  stop_wine
  [ -n "$started_xvfb" ] && kill "$started_xvfb" 2>/dev/null || true
}

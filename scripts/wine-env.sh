# Sourced by the run and test scripts: the build tree's own Wine prefix, a display
# (a private Xvfb when there is none) and helpers to stop what was started.
# Needs $top (the source tree) and $build (the build tree).
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
started_xvfb=""

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
    wineboot -i >/dev/null 2>&1 || true
  fi
  local managed=N
  [ "${1:-}" = managed ] && managed=Y
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1 || true
  wineserver -w
}

stop_wine_and_display() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$started_xvfb" ] && kill "$started_xvfb" 2>/dev/null || true
}

# Sourced by the scripts: starts a private Xvfb display and a Wine prefix
# under build/, with one wineserver kept alive for the whole run. Everything
# started here is stopped again when the calling script exits.

CORVANE_ROOT=${CORVANE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$CORVANE_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko installers: they would ask with a dialog on the display.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# The 64-bit loader directly: the generic "wine" goes through the 32-bit one.
if [ -x /usr/lib/wine/wine64 ]; then
  CORVANE_WINE64=/usr/lib/wine/wine64
else
  CORVANE_WINE64=wine
fi
export WINELOADER=$CORVANE_WINE64

# True when this machine can run 32-bit Windows programs (Wine's 32-bit side
# needs a kernel that runs 32-bit Linux programs).
corvane_can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

corvane_free_display() {
  local n
  for n in $(seq 90 250); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"
      return
    fi
  done
  echo "no free X display" >&2
  return 1
}

corvane_stop_environment() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${CORVANE_XVFB_PID:-}" ]; then
    kill "$CORVANE_XVFB_PID" >/dev/null 2>&1 || true
    wait "$CORVANE_XVFB_PID" 2>/dev/null || true
  fi
}

# Drive Y: of the prefix, a folder under build/ whose label holds backslashes,
# as the shell names a mapped network drive ("Public (\\nas) (Y:)"). Wine
# reads a drive's label from the .windows-label file at its root when its
# server starts, so this is done before the server is.
corvane_map_labelled_drive() {
  local root=$CORVANE_ROOT/build/labelled-drive
  mkdir -p "$root" "$WINEPREFIX/dosdevices"
  printf '%s\n' 'Public (\\nas)' >"$root/.windows-label"
  ln -sfn "$root" "$WINEPREFIX/dosdevices/y:"
  export CORVANE_LABELLED_DRIVE='Y:'
}

corvane_start_environment() {
  local display
  display=$(corvane_free_display)
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  CORVANE_XVFB_PID=$!
  export DISPLAY=":$display"
  trap corvane_stop_environment EXIT
  local i
  for i in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
  done
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "[wine] creating prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$CORVANE_WINE64" wineboot -i >/dev/null 2>&1
    wineserver -w
    # A crashing program must not leave a dialog waiting on the display.
    "$CORVANE_WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
  fi
  corvane_map_labelled_drive
  wineserver -p
  "$CORVANE_WINE64" wineboot >/dev/null 2>&1 || true
  echo "[wine] display $DISPLAY, prefix $WINEPREFIX"
}

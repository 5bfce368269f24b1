# Sourced: a display and a running Wine server for a series of Wine runs.
# Wine's services inherit the output of the command that starts them, so they are started first,
# detached; otherwise anything that reads a program's output to its end waits for them.
start_wine_session() {
  bash "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
  # Drives of one run's own, "x:=folder" each: linked before the server starts, which is when the
  # drive list learns its letters.
  local drive
  for drive in ${QV_EXTRA_DRIVES:-}; do ln -sfn "${drive#*=}" "$WINEPREFIX/dosdevices/${drive%%=*}"; done
  if [ -z "${DISPLAY:-}" ] || [ -n "${QV_OWN_XVFB:-}" ]; then
    local n
    for n in $(seq 91 99); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QV_XVFB_PID=$!
    export DISPLAY=":$n" QV_OWN_XVFB=1
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$QV_WINE_LOADER" cmd /c exit </dev/null >/dev/null 2>&1 || true
  # Two more are started on demand by the first program that makes a window or uses COM: the
  # desktop's explorer.exe and rpcss. Started by a test, they would hold that test's output open
  # for the rest of the session.
  ( "$QV_WINE_LOADER" explorer.exe /desktop </dev/null >/dev/null 2>&1 & )
  "$QV_WINE_LOADER" net start rpcss </dev/null >/dev/null 2>&1 || true
}

stop_wine_session() {
  "$WINESERVER" -k 2>/dev/null || true
  if [ -n "${QV_XVFB_PID:-}" ]; then kill "$QV_XVFB_PID" 2>/dev/null || true; fi
}

# Sourced by the end-to-end scripts: the program under Wine inside a virtual desktop (the only
# place where Wine has a notification area), observed from outside by qv_probe.exe.
here_e2e="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$here_e2e/scripts/wine-env.sh"
source "$here_e2e/scripts/wine-session.sh"
E2E_OUT="$QV_WIN_BUILD/e2e"
mkdir -p "$E2E_OUT"

# start_e2e_session: a fresh prefix, a display and a Wine server, with every program of the prefix
# running in one Wine virtual desktop (the only place where Wine has a notification area), so
# that the program and the probe see the same windows and the probe's output and exit code come
# back as usual.
start_e2e_session() {
  start_wine_session
  "$QV_WINE_LOADER" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d qv /f >/dev/null 2>&1
  "$QV_WINE_LOADER" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v qv /d 1024x768 /f >/dev/null 2>&1
}

# start_program ARG...: starts QuennixVelquist.exe in the background. Restarts and shutdowns are
# written to e2e/power.txt instead of ending the Wine session.
start_program() {
  ( cd "$QV_WINE_ROOT" && QV_POWER_LOG='C:\qv\e2e\power.txt' exec "$QV_WINE_LOADER" 'C:\qv\QuennixVelquist.exe' "$@" \
      </dev/null >"$E2E_OUT/program.out" 2>&1 ) &
  E2E_PROGRAM_PID=$!
}

# probe VERB TITLE [TIMEOUT_MS]: runs qv_probe.exe; prints its output, returns its code.
probe() {
  local out="$E2E_OUT/probe.txt" code=0
  ( cd "$QV_WINE_ROOT" && exec "$QV_WINE_LOADER" 'C:\qv\qv_probe.exe' "$@" </dev/null >"$out" 2>/dev/null ) || code=$?
  sed '$d' "$out"
  return "$code"
}

# shot FILE: a screenshot of the whole display.
shot() { import -display "$DISPLAY" -window root "$1"; }

# wait_program_end SECONDS: waits for the program started by start_program; 1 on time-out.
wait_program_end() {
  local i
  for i in $(seq $(( $1 * 10 ))); do
    kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# poll SECONDS COMMAND...: runs the command every 0.1 s until it succeeds; 1 on time-out.
poll() {
  local i
  for i in $(seq $(( $1 * 10 ))); do
    "${@:2}" && return 0
    sleep 0.1
  done
  return 1
}

# report_failure MESSAGE: says the failure, keeps a screenshot and shows the run's notice and
# stand-in logs, all in the script's $work folder.
report_failure() {
  echo "FAIL: $*"
  shot "$work/failure.png" || true
  local f
  for f in notices.txt standin.txt; do [ -f "$work/$f" ] && { echo "-- $f"; cat "$work/$f"; }; done
}

# fail MESSAGE: report_failure, and the script ends with status 1.
fail() {
  report_failure "$@"
  exit 1
}

# Sourced by the end-to-end scripts: the program under Wine inside a virtual desktop (the only
# place where Wine has a notification area), observed from outside by qv_probe.exe.
here_e2e="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$here_e2e/scripts/wine-env.sh"
source "$here_e2e/scripts/wine-session.sh"
E2E_OUT="$QV_WIN_BUILD/e2e"
E2E_DESKTOP="qv,1024x768"
mkdir -p "$E2E_OUT"

# start_program ARG...: starts QuennixVelquist.exe in the virtual desktop, in the background.
# Restarts and shutdowns are written to e2e/power.txt instead of ending the Wine session.
start_program() {
  ( cd "$QV_WIN_BUILD" && QV_POWER_LOG='C:\qv\e2e\power.txt' exec "$QV_WINE_LOADER" explorer "/desktop=$E2E_DESKTOP" 'C:\qv\QuennixVelquist.exe' "$@" \
      </dev/null >"$E2E_OUT/program.out" 2>&1 ) &
  E2E_PROGRAM_PID=$!
}

# probe VERB TITLE [TIMEOUT_MS]: runs qv_probe.exe in the desktop; prints its output, returns its code.
probe() {
  local out="$E2E_OUT/probe.txt"
  rm -f "$out"
  ( cd "$QV_WIN_BUILD" && QV_PROBE_OUT='C:\qv\e2e\probe.txt' "$QV_WINE_LOADER" explorer "/desktop=$E2E_DESKTOP" \
      'C:\qv\qv_probe.exe' "$@" </dev/null >/dev/null 2>&1 )
  # Into a desktop that is already open the launcher only hands the probe over and returns: the
  # probe is done when its last line is there.
  local i limit=300
  [[ "${3:-}" =~ ^[0-9]+$ ]] && limit=$(( $3 / 100 + 100 ))
  for ((i = 0; i < limit; i++)); do
    grep -qa '^exit ' "$out" 2>/dev/null && break
    sleep 0.1
  done
  [ -f "$out" ] || return 2
  # The probe writes its file in text mode: lines end in CR LF.
  tr -d '\r' <"$out" | sed '$d'
  local code
  code="$(tr -d '\r' <"$out" | tail -n 1 | sed -n 's/^exit //p')"
  return "${code:-2}"
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

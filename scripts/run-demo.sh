#!/usr/bin/env bash
# Sets up, builds and starts QuennixVelquist.exe under Wine on the demo drives, with the stand-in
# tools as its carried tools. With a display (DISPLAY set) the program runs in a Wine desktop
# window until you close it; without one, the script starts its own Xvfb, lets the program come up,
# saves a screenshot into build/win32/demo/ (build/win64/demo/ where the Wine runs use the x86_64
# build, see wine-env.sh) and closes it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash scripts/setup.sh
source scripts/wine-env.sh
jobs="$(nproc)"
cmake --preset "$QV_WIN_PRESET" >/dev/null
cmake --build --preset "$QV_WIN_PRESET" -j "$jobs"
source tests/e2e/lib.bash
demo_out="$QV_WIN_BUILD/demo"
mkdir -p "$demo_out"
headless=0
[ -n "${DISPLAY:-}" ] || headless=1
start_e2e_session
trap stop_wine_session EXIT
# The program carries the stand-in Ghost; the demo's partitions are mapped to their drive
# folders for it: D:\Backup\win7.GHO restored onto G: (1:3) or E: (2:0) writes its files there.
printf '1:2=D:\\\r\n1:3=G:\\\r\n2:0=E:\\\r\n' >"$WINEPREFIX/drive_c/qv-ghost-map.txt"
export QV_GHOST_MAP='C:\qv-ghost-map.txt'
start_program /debug
if [ "$headless" = 0 ]; then
  echo "QuennixVelquist is running in the Wine desktop window; close it to end the demo."
  wait "$E2E_PROGRAM_PID" || true
  exit 0
fi
title="QuennixVelquistPE版"
if probe wait "$title" 30000 >/dev/null; then
  sleep 2
  shot "$demo_out/main_window.png"
  echo "screenshot: $demo_out/main_window.png"
  probe close "$title" >/dev/null || true
  probe gone "$title" 10000 >/dev/null || true
else
  shot "$demo_out/no_window.png"
  echo "the main window did not come up; see $demo_out/no_window.png" >&2
  exit 1
fi

#!/usr/bin/env bash
# The program comes up under Wine with its main window; a screenshot of it is kept in the build
# folder (build/win32/e2e/main_window.png, or build/win64/e2e/ where the Wine runs use the x86_64
# build), and the window closes when asked.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
start_e2e_session
trap stop_wine_session EXIT
title="QuennixVelquistPE版"
start_program /debug
if ! rect="$(probe wait "$title" 30000)"; then
  echo "FAIL: no window titled $title"
  shot "$E2E_OUT/main_window_missing.png" || true
  exit 1
fi
sleep 1
shot "$E2E_OUT/main_window.png"
read -r x y w h <<<"$rect"
convert "$E2E_OUT/main_window.png" -crop "${w}x${h}+${x}+${y}" +repage "$E2E_OUT/main_window_only.png"
probe controls "$title" >"$E2E_OUT/main_window_controls.txt" || true
probe close "$title" >/dev/null
if ! probe gone "$title" 10000 >/dev/null; then
  echo "FAIL: the main window did not close"
  exit 1
fi
echo "main window: $rect, screenshot $E2E_OUT/main_window_only.png"

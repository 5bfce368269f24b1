#!/usr/bin/env bash
# Start-up as a user meets it: with "/debug" (the check for Windows PE takes Wine's own Windows
# letter) it reaches the welcome balloon; without arguments, outside PE, only the notice that the
# program runs in Windows PE alone comes up, and its button ends the program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
start_e2e_session
trap stop_wine_session EXIT
log="$E2E_OUT/startup-notices.txt"
export QV_NOTICE_LOG='C:\qv\e2e\startup-notices.txt'

rm -f "$log"
start_program /debug
probe wait "QuennixVelquistPE版" 30000 >/dev/null || { echo "FAIL: no main window with /debug"; exit 1; }
for _ in $(seq 100); do grep -q $'^balloon\t欢迎使用，如需帮助请按Alt+E！' "$log" 2>/dev/null && break; sleep 0.1; done
if ! grep -q $'^balloon\t欢迎使用，如需帮助请按Alt+E！\t欢迎使用QuennixVelquistPE版' "$log"; then
  echo "FAIL: start-up did not reach the welcome balloon"; cat "$log" 2>/dev/null; exit 1
fi
probe close "QuennixVelquistPE版" >/dev/null
wait_program_end 20 || { echo "FAIL: the program did not end with its window"; exit 1; }

rm -f "$log"
start_program
probe wait "提示" 30000 >/dev/null || { echo "FAIL: no notice window outside Windows PE"; exit 1; }
if probe wait "QuennixVelquistPE版" 1000 >/dev/null; then
  echo "FAIL: the main window stayed up outside Windows PE"; exit 1
fi
shot "$E2E_OUT/pe_only_notice.png"
if grep -q $'^balloon\t欢迎使用' "$log" 2>/dev/null; then
  echo "FAIL: start-up went on after the check for Windows PE"; exit 1
fi
probe close "提示" >/dev/null
wait_program_end 20 || { echo "FAIL: closing the notice did not end the program"; exit 1; }
echo "start-up: welcome balloon with /debug; the PE-only notice without arguments"

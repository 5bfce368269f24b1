#!/usr/bin/env bash
# Device-change notices as the system sends them, through the UI script: an arrival and a removal
# each bring their balloon once, any other event number brings none, and the partition list stays
# as it was until the user refreshes it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
start_e2e_session
trap stop_wine_session EXIT
log="$E2E_OUT/device-notices.txt"
script="$E2E_OUT/device-notices.script"
rm -f "$log"
cat >"$script" <<'SCRIPT'
waitwindow MainWindow 30000
state MainWindow 超级列表框1
device MainWindow 0x8000
device MainWindow 0x8004
device MainWindow 0x8006
device MainWindow 0x0007
wait 300
state MainWindow 超级列表框1
quit
SCRIPT
export QV_NOTICE_LOG='C:\qv\e2e\device-notices.txt'
export QV_UI_SCRIPT='C:\qv\e2e\device-notices.script'
start_program /debug
if ! wait_program_end 90; then
  echo "FAIL: the script did not end the program"; cat "$log" 2>/dev/null; exit 1
fi

if grep -q $'\tfailed\t' "$log"; then echo "FAIL: a script step failed"; cat "$log"; exit 1; fi
grep -qF $'script\tquit' "$log" || { echo "FAIL: the script did not reach its end"; cat "$log"; exit 1; }
# The balloons from the first notice on, in their order (but the welcome balloon, which the end of
# the start-up may bring among them); the info icon, the shell's own time-out.
notices="$(sed -n $'/^script\tdevice MainWindow 0x8000/,$p' "$log" | grep $'^balloon\t' |
  grep -v $'^balloon\t欢迎使用' || true)"
expected=$'balloon\t提示\t检测到有驱动器插入，请刷新分区列表！\t1/0/1\nballoon\t提示\t检测到有驱动器移除，请刷新分区列表！\t1/0/1'
if [ "$notices" != "$expected" ]; then
  echo "FAIL: the balloons of the notices differ"; echo "$notices"; cat "$log"; exit 1
fi
states="$(grep $'^state\tMainWindow 超级列表框1\t' "$log")"
if [ "$(printf '%s\n' "$states" | wc -l)" != 2 ] || [ "$(printf '%s\n' "$states" | sort -u | wc -l)" != 1 ]; then
  echo "FAIL: the partition list changed without a refresh"; echo "$states"; exit 1
fi
echo "device notices: the arrival and removal balloons, nothing for other events, the list unchanged"

#!/usr/bin/env bash
# The XP setup from a disc image, as a user walks it: the browse button takes D:\镜像\xp.iso,
# which is mounted on Z: and offers Z:\I386; that entry and the partition G: (1:3) are chosen, the
# start button opens the setup window, "跳过 None" keeps the partition as it is, and OK starts the
# stand-in setup loader with the answer file on G:. The watch sees it end and the completion box
# comes; leaving the program unmounts the disc.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"

work="$E2E_OUT/xp_setup"
rm -rf "$work"
mkdir -p "$work"
start_e2e_session
trap stop_wine_session EXIT
answer_file="$QV_WINE_ROOT/drives/g/winnt.sif"
rm -f "$answer_file"

export QV_STANDIN_LOG='C:\qv\e2e\xp_setup\standin.txt'
export QV_NOTICE_LOG='C:\qv\e2e\xp_setup\notices.txt'
export QV_DIALOG_ANSWERS='D:\镜像\xp.iso'
export QV_WINNT32_DELAY_MS=1500
export QV_UI_SCRIPT='C:\qv\e2e\xp_setup\script.txt'
# The start-up scan fills the image combo with the demo's four images; the disc's I386 folder is
# appended after them.
cat >"$work/script.txt" <<'EOF'
waitwindow MainWindow 30000
click MainWindow 按钮3
wait 3000
state MainWindow 组合框1
select MainWindow 组合框1 4
select MainWindow 超级列表框1 2
click MainWindow 按钮2
waitwindow Winnt32SetupWindow 30000
select Winnt32SetupWindow 组合框2 3
shot C:\qv\e2e\xp_setup\setup_window.png Winnt32SetupWindow
click Winnt32SetupWindow 按钮2
wait 5000
state Winnt32SetupWindow 透明标签8
click Winnt32SetupWindow 按钮1
waitgone Winnt32SetupWindow
click MainWindow 按钮1
EOF

fail() {
  report_failure "$@"
  rm -f "$answer_file"
  exit 1
}

start_program /debug
wait_program_end 90 || fail "the script did not end the program"
grep -q $'\tfailed\t' "$work/notices.txt" && fail "a step of the script failed"
grep -q $'^state\tMainWindow 组合框1\t.*count=5' "$work/notices.txt" ||
  fail "the disc's I386 folder did not join the four images of the scan"

expected='Z:\I386\winnt32.exe  /syspart:G:\ /dudisable /s:Z:\I386  /unattend:G:\\winnt.sif /makelocalsource /tempdrive:G:\ /noreboot'
started="$(awk -F '\t' '$1 == "winnt32" && $2 == "start" { print $4 }' "$work/standin.txt" | tr -d '\r')"
[ "$started" = "$expected" ] || fail "the setup was started as [$started], not [$expected]"
grep -q $'^winnt32\tunattend\t.*\tG:\\\\\\\\winnt.sif\t[0-9]' "$work/standin.txt" ||
  fail "the setup did not find its answer file"
grep -q $'^winnt32\tend\t.*\t0' "$work/standin.txt" || fail "the setup loader did not end well"
[ -s "$answer_file" ] || fail "no winnt.sif on G:"
head -c 14 "$answer_file" | grep -q ';SetupMgrTag' || fail "winnt.sif does not begin with its tag"
grep -q $'^box\t提示\t64\tWindows XP安装完成，请重启计算机并移除移动设备！' "$work/notices.txt" ||
  fail "no completion box after the setup ended"
grep -q $'^iso\tstart\t.*\tiso.exe /q' "$work/standin.txt" || fail "the disc was not unmounted at the end"
rm -f "$answer_file"
echo "XP setup: disc mounted, I386 chosen, the loader run with winnt.sif on G: and watched to its end"

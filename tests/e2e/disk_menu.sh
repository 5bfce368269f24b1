#!/usr/bin/env bash
# The partition menu "磁盘" as a user meets it, driven by a UI script: the information of D:, a new
# label for G: (set back afterwards), the properties request (logged by the test build instead of
# opening a sheet) and the removal of the folder drive E:, which Wine cannot eject. Screenshots of
# the two windows are kept in the Wine build's e2e folder (build/win32/e2e or build/win64/e2e).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
start_e2e_session
trap stop_wine_session EXIT
log="$E2E_OUT/disk-menu-notices.txt"
script="$E2E_OUT/disk-menu.script"
rm -f "$log" "$E2E_OUT/partition_info.png" "$E2E_OUT/volume_label.png"
cat >"$script" <<'SCRIPT'
waitwindow MainWindow 30000
select MainWindow 超级列表框1 1
menu MainWindow 磁盘 > 分区信息(&F)
waitwindow PartitionInfoWindow
state PartitionInfoWindow 编辑框1
shot C:\qv\e2e\partition_info.png PartitionInfoWindow
click PartitionInfoWindow 按钮2
waitgone PartitionInfoWindow
menu MainWindow 磁盘 > 属    性(&R)
select MainWindow 超级列表框1 2
menu MainWindow 磁盘 > 更改卷标(&G)
waitwindow VolumeLabelWindow
state VolumeLabelWindow 透明标签1
settext VolumeLabelWindow 编辑框1 新备份
click VolumeLabelWindow 按钮2
wait 300
shot C:\qv\e2e\volume_label.png VolumeLabelWindow
settext VolumeLabelWindow 编辑框1 备份
click VolumeLabelWindow 按钮2
wait 300
click VolumeLabelWindow 按钮1
waitgone VolumeLabelWindow
select MainWindow 超级列表框1 3
rclick MainWindow 超级列表框1 3
wait 300
menu MainWindow 磁盘 > 移    除(&J)
wait 1500
quit
SCRIPT
export QV_NOTICE_LOG='C:\qv\e2e\disk-menu-notices.txt'
export QV_NOTICE_ANSWERS='ok,ok,yes,ok'
export QV_UI_SCRIPT='C:\qv\e2e\disk-menu.script'
start_program /debug
if ! wait_program_end 90; then
  echo "FAIL: the script did not end the program"; cat "$log" 2>/dev/null; exit 1
fi

expect() {
  grep -qF -- "$1" "$log" || { echo "FAIL: no line: $1"; cat "$log"; exit 1; }
}
if grep -q $'\tfailed\t' "$log"; then echo "FAIL: a script step failed"; cat "$log"; exit 1; fi
expect $'script\tquit'
# The log writes each line break of the text as a blank: CR LF gives two.
expect $'state\tPartitionInfoWindow 编辑框1\t盘符：D:\\  位置：第 1 个硬盘的第 2 分区  总大小：'
expect $'  磁盘卷标：数据  操作系统：无  文件系统：NTFS  磁盘类型：硬盘驱动器  活动分区：否  磁盘型号：Wine Disk Drive\tchecked='
expect $'properties\tD:\\\towned\t'
expect $'state\tVolumeLabelWindow 透明标签1\t原卷标： 备份'
expect $'box\t提示\t64\t更改 G:\\(1:3) 的卷标成功！'
expect $'box\t提示\t68\t是否移除可移动驱动器 E:\\(2:0) ？'
expect $'balloon\t提示\t移除可移动驱动器 E:\\(2:0) 失败！'
expect $'box\t提示\t16\t移除可移动驱动器 E:\\(2:0) 失败！'
echo "disk menu: information, properties, label and removal; screenshots in $E2E_OUT"

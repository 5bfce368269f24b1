#!/usr/bin/env bash
# Install from disc with the disc image on the target, as a user might walk into it: the
# virtual-drive window mounts D:\镜像\win7.iso on Z:, the disc panel takes the drive Z: and the
# partition D: (1:2), the very partition that holds the image, is the target. The start button
# refuses before any edition is read or any format begins; then the partition G: (1:3) is
# accepted and the imagex window opens for it (and is left before any format).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"

work="$E2E_OUT/disc_install"
rm -rf "$work"
mkdir -p "$work"
start_e2e_session
trap stop_wine_session EXIT

export QV_STANDIN_LOG='C:\qv\e2e\disc_install\standin.txt'
export QV_NOTICE_LOG='C:\qv\e2e\disc_install\notices.txt'
export QV_DIALOG_ANSWERS='D:\镜像\win7.iso'
export QV_UI_SCRIPT='C:\qv\e2e\disc_install\script.txt'
# The virtual-drive window mounts on the free letter nearest to Z: Z:, an optical drive, which
# the disc panel lists after F:. The partition list holds C: (the Windows drive), D: and G:.
cat >"$work/script.txt" <<'SCRIPT'
waitwindow MainWindow 30000
menu MainWindow 扩展工具(&K) > 虚拟光驱(&G)
waitwindow VirtualDriveWindow 30000
click VirtualDriveWindow 按钮1
click VirtualDriveWindow 按钮3
wait 1000
click VirtualDriveWindow 按钮2
waitgone VirtualDriveWindow
click MainWindow 单选框3
select MainWindow 组合框7 1
state MainWindow 组合框7
select MainWindow 超级列表框1 1
click MainWindow 按钮2
wait 1000
state MainWindow 按钮2
select MainWindow 超级列表框1 2
click MainWindow 按钮2
waitwindow ImagexApplyWindow 30000
state ImagexApplyWindow 透明标签1
click ImagexApplyWindow 图形按钮2
waitgone ImagexApplyWindow
click MainWindow 按钮1
SCRIPT

start_program /debug
wait_program_end 90 || fail "the script did not end the program"
notices="$work/notices.txt"
grep -q $'\tfailed\t' "$notices" && fail "a step of the script failed"
grep -q $'^iso\tstart\t.*\tISO.exe /D:Z:\\\\  /I:D:\\\\镜像\\\\win7.iso$' "$work/standin.txt" ||
  fail "the window did not mount the disc image on Z:"
grep -q $'^state\tMainWindow 组合框7\tZ:\\\\ ' "$notices" || fail "the disc panel did not offer Z:"
refusal=$'^box\t提示\t48\t需安装的分区不可与还原映像文件所在的路径相同！$'
[ "$(grep -c "$refusal" "$notices")" = 1 ] ||
  fail "the partition holding the disc image was not refused once"
grep -q '正在格式化' "$notices" && fail "a format began"
infos="$(awk -F '\t' '$1 == "imagex" && $2 == "start" { print $4 }' "$work/standin.txt" | tr -d '\r')"
[ "$infos" = 'Imagex.exe /INFO Z:\sources\install.wim' ] ||
  fail "the editions were read as [$infos], not once for G:"
grep -q $'^state\tImagexApplyWindow 透明标签1\t.*到分区 G:' "$notices" ||
  fail "the imagex window did not open for G:"
echo "install from disc: the partition holding the mounted disc image refused before any format; another partition accepted"

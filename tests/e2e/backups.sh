#!/usr/bin/env bash
# The two backups through the main window, as a user walks them: the backup panel, the partition
# G: (1:3), a save path from the save dialog, quick compression and 650 MB parts, the start button
# and the Ghost backup window's OK; then a .wim save path, the start button again, the imagex
# backup window's OK and its notice. The stand-in Ghost dumps the folder mapped for 1:3, the
# stand-in imaging tool captures G:\; both images land in a folder of the build tree, and the
# reports carry their sizes.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"

work="$E2E_OUT/backups"
rm -rf "$work" "$QV_WINE_ROOT/prefix/drive_c/ImagexTemp"
mkdir -p "$work/source/Windows" "$work/out"
printf 'system\r\n' >"$work/source/Windows/system.dat"
truncate -s 1536K "$work/source/pagefile.bin"
start_e2e_session
trap stop_wine_session EXIT

printf '1:3=C:\\qv\\e2e\\backups\\source\r\n' >"$work/map.txt"
export QV_GHOST_MAP='C:\qv\e2e\backups\map.txt'
export QV_STANDIN_LOG='C:\qv\e2e\backups\standin.txt'
export QV_NOTICE_LOG='C:\qv\e2e\backups\notices.txt'
# OK to the Ghost report, Yes to the imagex notice, OK to its summary.
export QV_NOTICE_ANSWERS='ok,yes,ok'
export QV_DIALOG_ANSWERS='C:\qv\e2e\backups\out\g.GHO|C:\qv\e2e\backups\out\g.wim'
export QV_NORVEX32_DELAY_MS=1000
export QV_IMAGEX_STEP_MS=100
export QV_UI_SCRIPT='C:\qv\e2e\backups\script.txt'
cat >"$work/script.txt" <<'EOF'
waitwindow MainWindow 30000
click MainWindow 单选框2
select MainWindow 超级列表框1 2
click MainWindow 按钮3
select MainWindow 组合框3 1
select MainWindow 组合框2 1
click MainWindow 按钮2
waitwindow GhostBackupWindow 30000
shot C:\qv\e2e\backups\ghost_window.png GhostBackupWindow
click GhostBackupWindow 按钮2
wait 5000
click GhostBackupWindow 按钮1
waitgone GhostBackupWindow
click MainWindow 按钮3
click MainWindow 按钮2
waitwindow ImagexCaptureWindow 30000
click ImagexCaptureWindow 图形按钮1
wait 6000
shot C:\qv\e2e\backups\imagex_window.png ImagexCaptureWindow
state ImagexCaptureWindow 透明标签9
click ImagexCaptureWindow 图形按钮2
waitgone ImagexCaptureWindow
quit 0
EOF

start_program /debug
wait_program_end 120 || fail "the script did not end the program"
grep -q $'\tfailed\t' "$work/notices.txt" && fail "a step of the script failed"

expected='C:\windows\Norvex32.exe -clone,mode=pdump,src=1:3,dst="C:\qv\e2e\backups\out\g.GHO" -z2 -span  -split=650 -auto -noide -sure -fx'
started="$(awk -F '\t' '$1 == "norvex32" && $2 == "start" { print $4 }' "$work/standin.txt" | tr -d '\r')"
[ "$started" = "$expected" ] || fail "Ghost was started as [$started], not [$expected]"
expected='Imagex.exe /capture G:\ "C:\qv\e2e\backups\out\g.wim" "G_BAK" /compress Maximum /temp C:\ImagexTemp'
started="$(awk -F '\t' '$1 == "imagex" && $2 == "start" { print $4 }' "$work/standin.txt" | tr -d '\r')"
[ "$started" = "$expected" ] || fail "imagex was started as [$started], not [$expected]"

# The log writes each box on one line, its line ends as blanks.
date='[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}'
boxes="$(awk -F '\t' '$1 == "box" { print $3 "|" $4 }' "$work/notices.txt" | tr -d '\r')"
[ "$(printf '%s\n' "$boxes" | wc -l)" = 3 ] || fail "the boxes were [$boxes]"
printf '%s\n' "$boxes" | sed -n 1p | grep -Eq "^64\|   Ghost备份完成！    备份分区：G:\\\\\(1:3\)    保存位置：C:\\\\qv\\\\e2e\\\\backups\\\\out\\\\g\.GHO    大      小：1 MB    备份日期：$date$" ||
  fail "the Ghost report was [$(printf '%s\n' "$boxes" | sed -n 1p)]"
printf '%s\n' "$boxes" | sed -n 2p | grep -q '^68|Imagex将不会备份以下文件及文件夹：  G:\\$windows.~bt' ||
  fail "no notice before the capture"
printf '%s\n' "$boxes" | sed -n 3p | grep -Eq "^64\|   Imagex备份完成！    备份分区：G:\\\\\(1:3\)    保存位置：C:\\\\qv\\\\e2e\\\\backups\\\\out\\\\g\.wim    大      小：2 MB    备份日期：$date$" ||
  fail "the imagex summary was [$(printf '%s\n' "$boxes" | sed -n 3p)]"
grep -q $'^state\tImagexCaptureWindow 透明标签9\tImagex备份 G:\\\\(1:3) 完成！' "$work/notices.txt" ||
  fail "the capture window did not report its end"
head -c 44 "$work/out/g.GHO" | grep -q 'compression 2' || fail "the Ghost image lacks its header"
[ "$(stat -c %s "$work/out/g.wim")" = 2097152 ] || fail "the imagex image is not there"
[ -d "$QV_WINE_ROOT/prefix/drive_c/ImagexTemp" ] || fail "imagex's temporary folder was not made"
rm -rf "$QV_WINE_ROOT/prefix/drive_c/ImagexTemp"
echo "backups: Ghost and imagex images in $work/out, reported with their sizes"

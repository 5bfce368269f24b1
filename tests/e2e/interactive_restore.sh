#!/usr/bin/env bash
# The restore road through the main window, as a user walks it: the image the start-up scan chose
# (the demo's D:\Backup\win7.GHO), the partition G: (1:3) picked in the list, the image check
# asked for, the start button, Ghost's image check, the Ghost restore window's OK, the report,
# and the window closed again. Message boxes are answered from a script; the stand-in Ghost
# restores into the folder mapped for 1:3.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"

work="$E2E_OUT/interactive_restore"
rm -rf "$work" "$E2E_OUT/power.txt"
mkdir -p "$work/target"
start_e2e_session
trap stop_wine_session EXIT

printf '1:3=C:\\qv\\e2e\\interactive_restore\\target\r\n' >"$work/map.txt"
export QV_GHOST_MAP='C:\qv\e2e\interactive_restore\map.txt'
export QV_STANDIN_LOG='C:\qv\e2e\interactive_restore\standin.txt'
export QV_NOTICE_LOG='C:\qv\e2e\interactive_restore\notices.txt'
# Yes to the image check, OK to its verdict, OK to the report.
export QV_NOTICE_ANSWERS='yes,ok,ok'
export QV_NORVEX32_DELAY_MS=1000
export QV_UI_SCRIPT='C:\qv\e2e\interactive_restore\script.txt'
cat >"$work/script.txt" <<'EOF'
waitwindow MainWindow 30000
select MainWindow 超级列表框1 2
check MainWindow 选择框7 1
click MainWindow 按钮2
waitwindow GhostRestoreWindow 30000
shot C:\qv\e2e\interactive_restore\restore_window.png GhostRestoreWindow
click GhostRestoreWindow 按钮2
wait 8000
state GhostRestoreWindow 透明标签4
click GhostRestoreWindow 按钮1
waitgone GhostRestoreWindow
quit 0
EOF

start_program /debug
wait_program_end 90 || fail "the script did not end the program"
grep -q $'^script\t(end)' "$work/notices.txt" || grep -q $'^script\tquit 0' "$work/notices.txt" ||
  fail "the script did not run to its end"
grep -q $'\tfailed\t' "$work/notices.txt" && fail "a step of the script failed"

expected='C:\windows\Norvex32.exe -clone,mode=pload,src="D:\Backup\win7.GHO":1,dst=1:3 -crcignore  -noide -sure  -fx'
restores="$(awk -F '\t' '$1 == "norvex32" && $2 == "start" && $4 ~ /-clone/ { print $4 }' "$work/standin.txt" | tr -d '\r')"
[ "$restores" = "$expected" ] || fail "Ghost was started as [$restores], not [$expected]"
grep -q $'^norvex32\tstart\t.*-CHKIMG,D:\\\\Backup\\\\win7.GHO -sure  -fx -BATCH' "$work/standin.txt" ||
  fail "no image check before the restore"
boxes="$(awk -F '\t' '$1 == "box" { print $3 "|" $4 }' "$work/notices.txt" | tr -d '\r')"
expected_boxes='52|还原前是否对镜像文件 D:\Backup\win7.GHO 镜像文件进行完整性检查？
64|经检查 D:\Backup\win7.GHO 镜像文件非常完整！
64|D:\Backup\win7.GHO 还原到 G:\(1:3) 完成！'
[ "$boxes" = "$expected_boxes" ] || fail "the boxes were [$boxes]"
grep -q '本分区由演示用的 Ghost 映像' "$work/target/还原说明.txt" || fail "the image was not restored"
[ ! -s "$E2E_OUT/power.txt" ] || fail "a restart or shutdown was asked for"
echo "interactive restore: checked, restored into $work/target, reported"

#!/usr/bin/env bash
# Disc images as a user meets them, with the stand-in virtual-drive tool: the browse button takes
# D:\镜像\win7.iso, which is mounted on Z: and searched, and its install.wim becomes the chosen
# image; leaving the program unmounts it. Then "/gq" shows the virtual-drive window alone: it
# mounts D:\镜像\xp.iso on the free letter nearest to Z, its open button finds the drive, and
# the exit button ends the program with the image still mounted.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
start_e2e_session
trap stop_wine_session EXIT
notices="$E2E_OUT/disc-notices.txt"
tools="$E2E_OUT/disc-tools.txt"
script="$E2E_OUT/disc-script.txt"
link="$WINEPREFIX/dosdevices/z:"
export QV_NOTICE_LOG='C:\qv\e2e\disc-notices.txt' QV_STANDIN_LOG='C:\qv\e2e\disc-tools.txt'
export QV_UI_SCRIPT='C:\qv\e2e\disc-script.txt'
fail() { echo "FAIL: $*"; cat "$notices" "$tools" 2>/dev/null; exit 1; }

rm -f "$notices" "$tools"
cat >"$script" <<'EOF'
waitwindow MainWindow 30000
click MainWindow 按钮3
# The search processes window messages, so the script goes on meanwhile: give it time to end.
wait 3000
state MainWindow 组合框1
state MainWindow 透明标签10
click MainWindow 按钮1
EOF
QV_DIALOG_ANSWERS='D:\镜像\win7.iso' start_program /debug
wait_program_end 60 || fail "the program did not end after the disc was inspected"
grep -q $'^state\tMainWindow 组合框1\tZ:\\\\sources\\\\install.wim\t' "$notices" ||
  fail "the disc's install.wim is not the chosen image"
grep -q $'^state\tMainWindow 透明标签10\t类型： WIM 映像文件\t' "$notices" || fail "no WIM type line"
grep -q $'^balloon\t提示\t加载：D:\\\\镜像\\\\win7.iso成功！' "$notices" || fail "no success balloon"
grep -q $'^iso\tstart\t.*\tISO.exe /D:Z /I:D:\\\\镜像\\\\win7.iso$' "$tools" || fail "no mount line"
grep -q $'^iso\tstart\t.*\tiso.exe /q$' "$tools" || fail "the end of the run did not unmount"
[ ! -e "$link" ] && [ ! -L "$link" ] || fail "Z: is still mounted after the end"

rm -f "$notices" "$tools"
cat >"$script" <<'EOF'
waitwindow VirtualDriveWindow 30000
click VirtualDriveWindow 按钮1
click VirtualDriveWindow 按钮3
wait 1000
state VirtualDriveWindow 组合框2
shot C:\qv\e2e\virtual_drive_window.png VirtualDriveWindow
click VirtualDriveWindow 按钮4
click VirtualDriveWindow 按钮2
EOF
QV_DIALOG_ANSWERS='D:\镜像\xp.iso' start_program /gq
wait_program_end 60 || fail "the virtual-drive window's exit did not end the program"
grep -q $'^iso\tstart\t.*\tISO.exe /D:Z:\\\\  /I:D:\\\\镜像\\\\xp.iso$' "$tools" || fail "no window mount line"
grep -q '不存在' "$notices" && fail "the open button did not find the mounted drive"
grep -q $'^script\t.*\tfailed' "$notices" && fail "a step of the script could not be done"
if grep -q 'iso.exe /q' "$tools"; then fail "the window's mount was unmounted"; fi
[ -e "$link/I386/WINNT32.EXE" ] || fail "Z: does not hold the XP disc"
echo "disc images: inspected from the main window and unmounted at the end; mounted and opened from the /gq window"

#!/usr/bin/env bash
# The unattended road: "/install=" names the demo's stand-in Ghost image, "/DEVICE=G" the demo's
# partition G: (1:3) and "/r" a restart when done. The OK of the Ghost restore window is pressed
# from outside; the stand-in Ghost restores the image into the folder mapped for 1:3 and logs the
# command line it was given, which must be the exact one; the finish countdown then ends in a
# restart, which the test build records instead of doing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"

work="$E2E_OUT/install_restore"
rm -rf "$work" "$E2E_OUT/power.txt"
mkdir -p "$work/target"
start_e2e_session
trap stop_wine_session EXIT

# The program unpacks its carried Ghost (the stand-in) into the Windows folder at start-up; the
# shell tool that the restart runs is the PE's own, so the test puts its stand-in there.
cp "$QV_WIN_BUILD/standin/PECMD.exe" "$WINEPREFIX/drive_c/windows/PECMD.EXE"
printf '1:3=C:\\qv\\e2e\\install_restore\\target\r\n' >"$work/map.txt"
export QV_GHOST_MAP='C:\qv\e2e\install_restore\map.txt'
export QV_STANDIN_LOG='C:\qv\e2e\install_restore\standin.txt'
export QV_NOTICE_LOG='C:\qv\e2e\install_restore\notices.txt'
export QV_NORVEX32_DELAY_MS=2000

start_program '/install=D:\Backup\win7.GHO' '/DEVICE=G' /r
probe wait "Tavrin Ghost" 30000 >/dev/null || fail "no Ghost restore window"
shot "$work/restore_window.png"
probe click "Tavrin Ghost" "确定(&C)" >/dev/null || fail "the OK button could not be pressed"
wait_program_end 60 || fail "the program did not end after the countdown"

expected='C:\windows\Norvex32.exe -clone,mode=pload,src="D:\Backup\win7.GHO":1,dst=1:3 -crcignore  -noide -sure  -fx'
logged="$(awk -F '\t' '$1 == "norvex32" && $2 == "start" { print $4 }' "$work/standin.txt" | tr -d '\r')"
[ "$logged" = "$expected" ] || fail "Ghost was started as [$logged], not [$expected]"
grep -q '本分区由演示用的 Ghost 映像' "$work/target/还原说明.txt" || fail "the image was not restored"
[ -f "$work/target/Windows/System32/CMD.EXE" ] || fail "the image's system file was not restored"
grep -q '还原到 G:\\(1:3) 完成！' "$work/notices.txt" || fail "no report of the finished restore"
grep -qx 'restart' <(tr -d '\r' <"$E2E_OUT/power.txt") || fail "no restart was recorded"
# The shell tool is started without waiting, so its log line may come a moment after the end.
for _ in $(seq 50); do grep -q $'^pecmd\tstart\t.*SHUT R' "$work/standin.txt" && break; sleep 0.1; done
grep -q $'^pecmd\tstart\t.*SHUT R' "$work/standin.txt" || fail "the shell tool was not asked to restart"
echo "install restore: restored into $work/target, restart recorded"

#!/usr/bin/env bash
# Partitions renumbered while the program runs. The partition list fills with G:\ as 1:3; then,
# before Ghost is started on it, G: is pulled out, a new hard drive F: is plugged in and G: goes
# back in: Wine gives each new volume the lowest free partition number, so F: is now 1:3 and G: a
# higher one, while the list still shows the old numbers. Ghost numbers partitions, not letters:
# started with the old "1:3" it would write onto F:. For the interactive restore, the Ghost
# backup and the unattended "/install=" restore, the start button of the Ghost window must start
# no Ghost on the old number; the program says the partitions changed (a warning box) and its
# list shows G:'s new number. The interactive restore and the backup are then started again on
# the refreshed list and run on the new number. The stand-in Ghost maps 1:3 to F:'s own folder,
# so a run on the old number leaves its traces there.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"

base="$E2E_OUT/partitions_renumbered"
base_win='C:\qv\e2e\partitions_renumbered'
main_title="QuennixVelquistPE版"
g_folder="$QV_WINE_ROOT/drives/g"
work="$base"
rm -rf "$base" "$E2E_OUT/power.txt"
mkdir -p "$base/new_drive"
printf 'F\r\n' >"$base/new_drive/f.txt"
start_e2e_session
trap stop_wine_session EXIT

# drive_number LETTER: the drive's disk:partition as the system answers now.
drive_number() { probe number "$1" | tr -d '\r'; }

# The demo's optical drive F: is taken out before the program starts, so that the hard drive
# plugged in later takes its letter.
probe unplug F >/dev/null || fail "the optical drive F: could not be taken out"
[ "$(drive_number G)" = 1:3 ] || fail "G: does not start as 1:3"

# list_number LETTER: the disk:partition cell of the letter's row of the main window's list.
list_number() {
  probe rows "$main_title" 超级列表框1 | tr -d '\r' | awk -F '\t' -v root="$1:\\" '$1 == root { print $2 }'
}
list_shows() { [ "$(list_number "$1")" = "$2" ]; }

# renumber_drives: G: out, the new hard drive F: in, G: in again; sets new_g to G:'s new number.
renumber_drives() {
  probe unplug G >/dev/null || fail "G: could not be unplugged"
  probe plug F hd "$base/new_drive" >/dev/null || fail "the new drive F: could not be plugged in"
  probe plug G hd "$g_folder" >/dev/null || fail "G: could not be plugged in again"
  [ "$(drive_number F)" = 1:3 ] || fail "the new drive F: is $(drive_number F), not 1:3"
  new_g="$(drive_number G)" || fail "G: has no number after it came back"
  [ "$new_g" != 1:3 ] || fail "G: kept 1:3"
}

# restore_drives: the demo's numbering again (G: 1:3) for the next case, F: left out.
restore_drives() {
  probe unplug F >/dev/null && probe unplug G >/dev/null && probe plug G hd "$g_folder" >/dev/null ||
    fail "the drives could not be put back"
  [ "$(drive_number G)" = 1:3 ] || fail "G: did not take 1:3 again"
}

# begin_case NAME: the case's folder and logs; the stand-in Ghost writes 1:3 into F:'s folder.
begin_case() {
  work="$base/$1"
  work_win="$base_win\\$1"
  mkdir -p "$work"
  export QV_GHOST_MAP="$work_win\\map.txt"
  export QV_STANDIN_LOG="$work_win\\standin.txt"
  export QV_NOTICE_LOG="$work_win\\notices.txt"
  export QV_UI_SCRIPT="$work_win\\script.txt"
  printf '1:3=F:\\\r\n' >"$work/map.txt"
  : >"$work/standin.txt"
  : >"$work/notices.txt"
}

ghost_runs() { awk -F '\t' '$1 == "norvex32" && $2 == "start" { print $4 }' "$work/standin.txt" | tr -d '\r'; }
boxes() { awk -F '\t' '$1 == "box" { print $2 "|" $3 "|" $4 }' "$work/notices.txt" | tr -d '\r'; }
state_text() { awk -F '\t' -v unit="MainWindow $1" '$1 == "state" && $2 == unit { print $3 }' "$work/notices.txt" | tr -d '\r'; }
ghost_started_or_refused() { [ -n "$(ghost_runs)" ] || grep -q '^box'$'\t''提示'$'\t''48'$'\t''分区已发生变化' "$work/notices.txt"; }

# press_ok_after_renumbering OLD [FOLDER]: the Ghost window is open for G:, whose row the list
# shows as OLD; the drives are renumbered (the stand-in Ghost maps G:'s new number to FOLDER) and
# the window's OK pressed. Ghost must not run on OLD, and the list must show the new numbers.
press_ok_after_renumbering() {
  probe wait "Tavrin Ghost" 30000 >/dev/null || fail "no Ghost window"
  list_shows G "$1" || fail "the list shows G: as [$(list_number G)] before the drives changed, not $1"
  renumber_drives
  if [ -n "${2:-}" ]; then printf '%s=%s\r\n' "$new_g" "$2" >>"$work/map.txt"; fi
  probe click "Tavrin Ghost" "确定(&C)" >/dev/null || fail "the Ghost window's OK could not be pressed"
  poll 20 ghost_started_or_refused || fail "the Ghost window's OK neither started Ghost nor refused"
  if ghost_runs | grep -q "=$1[ ,]"; then
    fail "Ghost was started on the old number $1, now F:'s: [$(ghost_runs | grep "=$1[ ,]")]"
  fi
  [ ! -e "$base/new_drive/还原说明.txt" ] || fail "the image was restored onto F:"
  poll 10 list_shows G "$new_g" || fail "the list shows G: as [$(list_number G)], not $new_g"
  list_shows F 1:3 || fail "the list shows F: as [$(list_number F)], not 1:3"
  # The program's own script goes on (and may end the program) only once the list was looked at.
  : >"$work/list_checked"
}

# ---- the interactive restore, then the same restore on the refreshed list ----------------------
begin_case restore
mkdir -p "$work/target"
cat >"$work/script.txt" <<'EOF'
waitwindow MainWindow 30000
select MainWindow 超级列表框1 2
check MainWindow 选择框7 0
click MainWindow 按钮2
waitwindow GhostRestoreWindow 30000
waitgone GhostRestoreWindow 30000
waitfile C:\qv\e2e\partitions_renumbered\restore\list_checked 30000
select MainWindow 超级列表框1 3
state MainWindow 透明标签2
click MainWindow 按钮2
waitwindow GhostRestoreWindow 30000
click GhostRestoreWindow 按钮2
waitenabled GhostRestoreWindow 按钮1 30000
click GhostRestoreWindow 按钮1
waitgone GhostRestoreWindow
quit 0
EOF
start_program /debug
press_ok_after_renumbering 1:3 "$work_win\\target"
wait_program_end 60 || fail "the script did not end the program"
grep -q $'\tfailed\t' "$work/notices.txt" && fail "a step of the script failed"
[ "$(state_text 透明标签2)" = "G:\\($new_g)" ] ||
  fail "G:'s row on the refreshed list was taken as [$(state_text 透明标签2)], not G:\\($new_g)"
expected="C:\\windows\\Norvex32.exe -clone,mode=pload,src=\"D:\\Backup\\win7.GHO\":1,dst=$new_g -crcignore  -noide -sure  -fx"
[ "$(ghost_runs)" = "$expected" ] || fail "Ghost was started as [$(ghost_runs)], not once as [$expected]"
expected_boxes="提示|48|分区已发生变化，分区列表已刷新，请重新选择要还原的分区！
提示|64|D:\\Backup\\win7.GHO 还原到 G:\\($new_g) 完成！"
[ "$(boxes)" = "$expected_boxes" ] || fail "the boxes were [$(boxes)]"
grep -q '本分区由演示用的 Ghost 映像' "$work/target/还原说明.txt" || fail "the image was not restored onto G:"
restore_drives
echo "interactive restore: no Ghost on the old number, the list refreshed, restored on $new_g"

# ---- the Ghost backup, then the same backup on the refreshed list ------------------------------
begin_case backup
mkdir -p "$work/source" "$work/out"
truncate -s 1536K "$work/source/g.bin"
export QV_DIALOG_ANSWERS="$work_win\\out\\g.GHO"
cat >"$work/script.txt" <<'EOF'
waitwindow MainWindow 30000
click MainWindow 单选框2
select MainWindow 超级列表框1 2
click MainWindow 按钮3
select MainWindow 组合框3 1
select MainWindow 组合框2 1
click MainWindow 按钮2
waitwindow GhostBackupWindow 30000
waitgone GhostBackupWindow 30000
waitfile C:\qv\e2e\partitions_renumbered\backup\list_checked 30000
select MainWindow 超级列表框1 3
state MainWindow 透明标签2
click MainWindow 按钮2
waitwindow GhostBackupWindow 30000
click GhostBackupWindow 按钮2
waitenabled GhostBackupWindow 按钮1 30000
click GhostBackupWindow 按钮1
waitgone GhostBackupWindow
quit 0
EOF
start_program /debug
press_ok_after_renumbering 1:3 "$work_win\\source"
wait_program_end 60 || fail "the script did not end the program"
grep -q $'\tfailed\t' "$work/notices.txt" && fail "a step of the script failed"
[ "$(state_text 透明标签2)" = "G:\\($new_g)" ] ||
  fail "G:'s row on the refreshed list was taken as [$(state_text 透明标签2)], not G:\\($new_g)"
expected="C:\\windows\\Norvex32.exe -clone,mode=pdump,src=$new_g,dst=\"$work_win\\out\\g.GHO\" -z2 -span  -split=650 -auto -noide -sure -fx"
[ "$(ghost_runs)" = "$expected" ] || fail "Ghost was started as [$(ghost_runs)], not once as [$expected]"
[ "$(boxes | sed -n 1p)" = "提示|48|分区已发生变化，分区列表已刷新，请重新选择要备份的分区！" ] ||
  fail "the first box was [$(boxes | sed -n 1p)]"
boxes | sed -n 2p | grep -q "^提示|64|   Ghost备份完成！    备份分区：G:\\\\($new_g)" ||
  fail "the second box was [$(boxes | sed -n 2p)]"
[ "$(boxes | wc -l)" = 2 ] || fail "the boxes were [$(boxes)]"
grep -q 'g\.bin' "$work/out/g.GHO" && ! grep -q 'f\.txt' "$work/out/g.GHO" ||
  fail "the image is not G:'s"
restore_drives
echo "Ghost backup: no Ghost on the old number, the list refreshed, backed up from $new_g"

# ---- the unattended restore: the window stays and the program goes on -------------------------
begin_case install
rm -f "$work/script.txt"
unset QV_UI_SCRIPT QV_DIALOG_ANSWERS
start_program '/install=D:\Backup\win7.GHO' '/DEVICE=G'
press_ok_after_renumbering 1:3
[ "$(boxes)" = "提示|48|分区已发生变化，分区列表已刷新，请重新选择要还原的分区！" ] ||
  fail "the boxes were [$(boxes)]"
# The window stays open for another second, and the program with it.
probe gone "Tavrin Ghost" 1000 >/dev/null && fail "the Ghost restore window closed after the refusal"
kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || fail "the program ended after the refusal"
probe click "Tavrin Ghost" "取消(&X)" >/dev/null || fail "the Ghost window's cancel could not be pressed"
wait_program_end 30 || fail "the program did not end on cancel"
[ -z "$(ghost_runs)" ] || fail "Ghost was started as [$(ghost_runs)]"
echo "unattended restore: no Ghost on the old number, the window kept open, the list refreshed"

#!/usr/bin/env bash
# The image search over a drive with 20,000 Ghost images in one folder, watched from outside: the
# main window must keep answering sent messages throughout (qv_probe ping prints the longest wait
# in ms), and the search must end with every image listed. The images are sparse files of 100 MB
# (the search lists no smaller ones), on a drive S: of this run's own prefix, so the other tests'
# drives stay small. The start-up scan finds them too and fills the image combo.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
files=20000
bound_ms=1000
drive="$QV_WINE_ROOT/search-drive"
if [ ! -f "$drive/.complete-$files" ]; then
  rm -rf "$drive"
  mkdir -p "$drive/many"
  (cd "$drive/many" && seq -f 'image%05g.gho' 0 $((files - 1)) | xargs truncate -s 100M)
  touch "$drive/.complete-$files"
fi
QV_EXTRA_DRIVES="s:=$drive" start_e2e_session
trap stop_wine_session EXIT
notices="$E2E_OUT/search-notices.txt"
script="$E2E_OUT/search-script.txt"
export QV_NOTICE_LOG='C:\qv\e2e\search-notices.txt' QV_UI_SCRIPT='C:\qv\e2e\search-script.txt'
work="$E2E_OUT"
rm -f "$notices"
# The expand button shows the search column; the search runs inside the click, and the script
# goes on meanwhile: it waits for the search button to come back.
cat >"$script" <<'EOF'
waitwindow MainWindow 120000
click MainWindow 按钮6
wait 1500
click MainWindow 按钮5
waitenabled MainWindow 按钮5 300000
state MainWindow 列表框1
item MainWindow 列表框1 -1
# The pings outside see the end of the search before the program ends.
wait 4000
click MainWindow 按钮1
EOF
title="QuennixVelquistPE版"
start_program /debug
probe wait "$title" 120000 >/dev/null || fail "no main window"

# Pings in pieces of two seconds until the search has ended: the longest wait of all pieces.
longest=0 pings=0 started=$SECONDS
while ! grep -q $'^balloon\t提示\t搜索文件完成！' "$notices" 2>/dev/null; do
  out="$(probe ping "$title" 2000)" || fail "the main window stopped answering: $out"
  read -r _ n _ m <<<"${out//$'\r'/}"
  (( n > longest )) && longest=$n
  pings=$((pings + m))
  (( SECONDS - started < 300 )) || fail "the search did not end within 300 s"
done
searched=$((SECONDS - started))
wait_program_end 60 || fail "the program did not end after the search"
grep -q $'^script\t.*\tfailed' "$notices" && fail "a step of the script could not be done"
listed=$((files + 2))  # and D:\Backup\win7.GHO, E:\GHO\xp.gho of the prefix's drives
grep -q $'^state\tMainWindow 列表框1\t.*count='"$((listed + 1))"'$' "$notices" ||
  fail "the list does not hold $listed images and the summary line"
grep -q $'^item\tMainWindow 列表框1 '"$listed"$'\t搜索3层目录完成，共搜索到'"$listed"'个Gho文件。' "$notices" ||
  fail "no summary line for $listed images"
echo "responsive search: $listed images listed in about $searched s; the main window answered $pings pings, the longest after $longest ms (bound $bound_ms ms)"
(( longest <= bound_ms )) || fail "the main window left a message waiting $longest ms"

#!/usr/bin/env bash
# Makes a fresh Wine prefix at $WINEPREFIX from a booted template (booted once, then copied).
# The drive Z: (the host's root) is removed so that no scan ever walks the host.
#
# The prefix has folder-backed drives under $QV_WINE_ROOT/drives, with types set in
# HKLM\Software\Wine\Drives (Wine reads them when its server starts):
#   C: hd (Wine's own)   D: hd "数据"     E: floppy "U盘"   F: cdrom "WIN_CD"
#   G: hd "备份"         X: hd (the PE's letter, which the partition list leaves out)
# Under Wine 8 every hd drive is disk 0, numbered in letter order (C: 1:1, D: 1:2, G: 1:3,
# X: 1:4), a floppy drive is a disk of its own with partition 0 (E: 2:0), and a cdrom has no
# partition number. The drives hold sparse sample images for the scan and the search; D:\Backup\
# win7.GHO is a stand-in Ghost image that the stand-in Ghost can check and restore, and
# D:\镜像 holds disc images for the virtual drive.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/scripts/wine-env.sh"
template="$QV_WINE_ROOT/template"
drives="$QV_WINE_ROOT/drives"
layout=drives-v1

# Drive letter, Wine type, label.
drive_table=(
  "d hd 数据"
  "e floppy U盘"
  "f cdrom WIN_CD"
  "g hd 备份"
  "x hd PE"
)

make_drive_folders() {
  local row letter type label
  for row in "${drive_table[@]}"; do
    read -r letter type label <<<"$row"
    mkdir -p "$drives/$letter"
    # Written on every copy: a test that changes a label leaves the next run the same fixture.
    printf '%s\n' "$label" >"$drives/$letter/.windows-label"
  done
  # Images of 100 MB or more, sparse so they cost no space; the scan reaches depth 3 (a root and
  # two folder levels below it).
  local sample size path
  for sample in "200M d/系统/win10.WIM" "150M d/a/b/c/deep.gho" \
              "50K d/small.gho" "120M e/GHO/xp.gho" "300M g/sys.wim" "1M f/sources/readme.txt"; do
    read -r size path <<<"$sample"
    if [ ! -e "$drives/$path" ]; then
      mkdir -p "$(dirname "$drives/$path")"
      truncate -s "$size" "$drives/$path"
    fi
  done
  make_demo_ghost_image "$drives/d/Backup/win7.GHO" 150M
}

# A stand-in Ghost image (tools/standin/make_ghost_image.py), sparse to the size of a real one,
# from tools/standin/demo_image and, once it is built, the stand-in of Windows 7's CMD.EXE, which
# carries that system's version. On Windows the partition list would read that version after a
# restore and name the partition's system (Win7). Wine reads no version from any file named
# CMD.EXE (the same file under another name has one), so under Wine the system column names no
# Windows (an active partition keeps its "A") and the file only shows that the restore wrote the
# image's files.
make_demo_ghost_image() {
  local image="$1" size="$2" cmd="$QV_WIN_BUILD/standin/WindowsCmd.exe" source
  if [ "$(head -c 7 "$image" 2>/dev/null | tr -d '\0')" = "QVGHO 1" ] && { [ ! -f "$cmd" ] || [ "$image" -nt "$cmd" ]; }; then
    return 0
  fi
  source="$(mktemp -d)"
  cp -r "$here/tools/standin/demo_image/." "$source/"
  if [ -f "$cmd" ]; then
    mkdir -p "$source/Windows/System32"
    cp "$cmd" "$source/Windows/System32/CMD.EXE"
  fi
  mkdir -p "$(dirname "$image")"
  python3 "$here/tools/standin/make_ghost_image.py" "$source" "$image" --pad-to "$size" --title "演示系统"
  rm -rf "$source"
}

# Disc images for the stand-in virtual-drive tool, which mounts the folder <image>.d as an image's
# contents: a Windows 7 disc holding sources\install.wim and an XP disc holding the stand-in setup
# loader I386\WINNT32.EXE (once it is built). The contents lie below the scan's depth.
make_disc_images() {
  local discs="$drives/d/镜像"
  mkdir -p "$discs/win7.iso.d/sources" "$discs/xp.iso.d/I386"
  [ -e "$discs/win7.iso" ] || truncate -s 150M "$discs/win7.iso"
  [ -e "$discs/win7.iso.d/sources/install.wim" ] || truncate -s 200M "$discs/win7.iso.d/sources/install.wim"
  [ -e "$discs/xp.iso" ] || truncate -s 120M "$discs/xp.iso"
  local loader="$QV_WIN_BUILD/standin/WINNT32.exe"
  if [ -f "$loader" ]; then cp "$loader" "$discs/xp.iso.d/I386/WINNT32.EXE"; fi
}

add_drives_to_template() {
  local row letter type label reg="$template/drive_c/qv-drives.reg"
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n'
    for row in "${drive_table[@]}"; do
      read -r letter type label <<<"$row"
      printf '"%s:"="%s"\r\n' "$letter" "$type"
      ln -sfn "$drives/$letter" "$template/dosdevices/$letter:"
    done
  } >"$reg"
  WINEPREFIX="$template" "$QV_WINE_LOADER" regedit /S 'C:\qv-drives.reg' </dev/null >/dev/null 2>&1
  WINEPREFIX="$template" "$WINESERVER" -w
  rm -f "$reg"
  touch "$template/.$layout"
}

if [ ! -f "$template/.booted" ]; then
  rm -rf "$template"
  WINEPREFIX="$template" "$QV_WINE_LOADER" wineboot -i </dev/null >/dev/null 2>&1 || true
  WINEPREFIX="$template" "$WINESERVER" -w
  rm -f "$template/dosdevices/z:"
  touch "$template/.booted"
fi
make_drive_folders
make_disc_images
[ -f "$template/.$layout" ] || add_drives_to_template
# Windows are not handed to a window manager: under Xvfb none runs, and Wine would wait two seconds
# for one whenever a visible window is hidden or closed.
if [ ! -f "$template/.unmanaged" ]; then
  WINEPREFIX="$template" "$QV_WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1 || true
  WINEPREFIX="$template" "$WINESERVER" -w
  touch "$template/.unmanaged"
fi
# The program's face is SimSun ("宋体"), which Wine lacks; a Song-style font of the same metrics
# keeps the captions' widths as laid out (a wider face cuts captions short at the right).
if [ ! -f "$template/.song-font" ] && fc-list 2>/dev/null | grep -q 'AR PL UMing CN'; then
  for face in 宋体 SimSun; do
    WINEPREFIX="$template" "$QV_WINE_LOADER" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
      /d 'AR PL UMing CN' /f </dev/null >/dev/null 2>&1 || true
  done
  WINEPREFIX="$template" "$WINESERVER" -w
  touch "$template/.song-font"
fi
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
cp -a "$template" "$WINEPREFIX"
# The build folder appears as C:\qv, so the programs under test run from a Windows path.
mkdir -p "$QV_WIN_BUILD"
ln -sfn "$QV_WIN_BUILD" "$WINEPREFIX/drive_c/qv"

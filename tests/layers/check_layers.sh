#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own. The folders of src/ are
# layers, lowest first; a file may include its own folder and the folders listed for it.
#   check_layers.sh <source root>
set -u
root="${1:?usage: check_layers.sh <source root>}"

declare -A may_include=(
  [ui]="ui"
  [platform]="platform ui"
  [base]="base platform ui"
  [main_window]="main_window base platform ui"
  [disks]="disks main_window base platform ui"
  [images]="images disks main_window base platform ui"
  [jobs]="jobs images disks main_window base platform ui"
  [shell]="shell jobs images disks main_window base platform ui"
  # The Win32 side implements the seam and the window runtime; only the program's entry reaches up.
  [platform/win32]="platform/win32 platform ui"
)
entry_file="platform/win32/main.cpp"
entry_include="shell/program.h"

faults=0
while IFS= read -r -d '' file; do
  rel="${file#"$root"/}"
  folder="${rel%/*}"
  [ "$folder" = "$rel" ] && folder=""
  allowed="${may_include[$folder]-}"
  if [ -z "$allowed" ]; then
    echo "$rel: the folder '$folder' is not a known layer"
    faults=$((faults + 1))
    continue
  fi
  while IFS= read -r line; do
    target="${line#*\"}"
    target="${target%\"*}"
    [[ "$target" == */* ]] || continue  # a header beside the file
    target_folder="${target%/*}"
    ok=0
    for layer in $allowed; do [ "$target_folder" = "$layer" ] && ok=1; done
    [ "$rel" = "$entry_file" ] && [ "$target" = "$entry_include" ] && ok=1
    if [ "$ok" = 0 ]; then
      echo "$rel includes $target against the layer direction"
      faults=$((faults + 1))
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
done < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

if [ "$faults" -gt 0 ]; then
  echo "$faults include(s) against the layer direction"
  exit 1
fi
echo "every include follows the layer direction"

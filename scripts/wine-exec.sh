#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's environment (the tests' emulator).
# The prefix has no Z: drive, so a program from the build folder is started through C:\qv, the
# prefix's link to that folder; it then sees its own path as a Windows path.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
program="$1"
shift
[ -e "$program" ] && program="$(realpath "$program")"
case "$program" in
  "$QV_WIN_BUILD"/*)
    rel="${program#"$QV_WIN_BUILD"/}"
    program="C:\\qv\\${rel//\//\\}"
    ;;
esac
exec "$QV_WINE_LOADER" "$program" "$@"

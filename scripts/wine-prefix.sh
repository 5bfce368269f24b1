#!/usr/bin/env bash
# Makes a fresh Wine prefix at $WINEPREFIX from a booted template (booted once, then copied).
# The drive Z: (the host's root) is removed so that no scan ever walks the host.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
template="$QV_WINE_ROOT/template"
if [ ! -f "$template/.booted" ]; then
  rm -rf "$template"
  WINEPREFIX="$template" "$QV_WINE_LOADER" wineboot -i </dev/null >/dev/null 2>&1 || true
  WINEPREFIX="$template" "$WINESERVER" -w
  rm -f "$template/dosdevices/z:"
  touch "$template/.booted"
fi
# Windows are not handed to a window manager: under Xvfb none runs, and Wine would wait two seconds
# for one whenever a visible window is hidden or closed.
if [ ! -f "$template/.unmanaged" ]; then
  WINEPREFIX="$template" "$QV_WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1 || true
  WINEPREFIX="$template" "$WINESERVER" -w
  touch "$template/.unmanaged"
fi
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
cp -a "$template" "$WINEPREFIX"
# The build folder appears as C:\qv, so the programs under test run from a Windows path.
mkdir -p "$QV_WIN_BUILD"
ln -sfn "$QV_WIN_BUILD" "$WINEPREFIX/drive_c/qv"

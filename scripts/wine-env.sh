# Sourced: the environment every Wine run of this project uses. Nothing outside build/ is touched:
# the prefixes and HOME live under build/wine.
#
# The program is a 32-bit Windows program. Where the machine cannot run 32-bit Linux programs
# (some virtual machines lack the 32-bit compatibility mode, and then Wine's 32-bit loader cannot
# start), the Wine runs use the same sources built for x86_64 and Wine's 64-bit loader instead.
here_env="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -z "${QV_WINE_BITS:-}" ]; then
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
     timeout 5 /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    QV_WINE_BITS=32
  else
    QV_WINE_BITS=64
  fi
fi
export QV_WINE_BITS
if [ "$QV_WINE_BITS" = 32 ]; then
  export WINEARCH=win32 QV_WINE_LOADER=/usr/lib/wine/wine QV_WINESERVER=/usr/lib/wine/wineserver32
  export QV_WIN_BUILD="$here_env/build/win32" QV_WIN_PRESET=win32
else
  export WINEARCH=win64 QV_WINE_LOADER=/usr/lib/wine/wine64 QV_WINESERVER=/usr/lib/wine/wineserver64
  export QV_WIN_BUILD="$here_env/build/win64" QV_WIN_PRESET=win64
fi
export QV_WINE_ROOT="${QV_WINE_ROOT:-$here_env/build/wine$QV_WINE_BITS}"
export WINEPREFIX="${WINEPREFIX:-$QV_WINE_ROOT/prefix}"
export WINESERVER="$QV_WINESERVER"
# The stand-in virtual-drive tool mounts disc images as links in this prefix's drive folder.
export QV_ISO_DOSDEVICES="$WINEPREFIX/dosdevices"
export WINEDEBUG=-all
export LC_ALL=zh_CN.UTF-8
export LANG=zh_CN.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe=d;winedbg.exe=d;mscoree,mshtml="
export HOME="$QV_WINE_ROOT/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
mkdir -p "$HOME"

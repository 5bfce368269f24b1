#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages, and cross-builds libpng and
# libjpeg-turbo for i686 Windows into build/deps. Safe to run again: a second run only checks.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
deps="$here/build/deps"
prefix="$deps/i686"

sudo_if_needed() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(cmake ninja-build g++ pkg-config
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  libz-mingw-w64-dev googletest libgtest-dev libbenchmark-dev libexpat1-dev
  clang-14 libclang-rt-14-dev
  libpng-dev libjpeg-dev zlib1g-dev nasm dpkg-dev
  wine wine32:i386 wine64 xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei fonts-arphic-uming locales)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_if_needed dpkg --add-architecture i386
  fi
  sudo_if_needed apt-get update -qq
  sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine only uses code page 936 when the Unix locale exists.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  sudo_if_needed sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | sudo_if_needed tee -a /etc/locale.gen >/dev/null
  sudo_if_needed locale-gen >/dev/null
fi

# libpng and libjpeg-turbo for Windows from Debian's own sources, for i686 (the program) and x86_64
# (the Wine tests on machines that cannot run 32-bit Linux programs, see scripts/wine-env.sh). A
# private source list keeps the machine's apt configuration as it is.
fetch_sources() {
  [ -f "$deps/src/.unpacked" ] && return 0
  local apt_dir="$deps/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$deps/src"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" > "$apt_dir/sources.list"
  local apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
                  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o Debug::NoLocking=1)
  apt-get "${apt_opts[@]}" -qq update
  (cd "$deps/src" && apt-get "${apt_opts[@]}" -qq source --download-only libpng1.6 libjpeg-turbo)
  (cd "$deps/src" && rm -rf libpng libjpeg &&
    dpkg-source -x --no-check libpng1.6_*.dsc libpng >/dev/null &&
    dpkg-source -x --no-check libjpeg-turbo_*.dsc libjpeg >/dev/null)
  touch "$deps/src/.unpacked"
}

build_image_libraries() {
  local arch="$1" prefix="$deps/$1" tc="$here/cmake/toolchain-$1-mingw.cmake"
  [ -f "$prefix/.built" ] && return 0
  fetch_sources
  local zlib="/usr/$arch-w64-mingw32"
  cmake -Wno-dev -S "$deps/src/libpng" -B "$deps/build-png-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
    -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -Dld-version-script=OFF \
    -DZLIB_LIBRARY="$zlib/lib/libz.a" -DZLIB_INCLUDE_DIR="$zlib/include" >/dev/null
  cmake --build "$deps/build-png-$arch" --target install >/dev/null
  cmake -Wno-dev -S "$deps/src/libjpeg" -B "$deps/build-jpeg-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=1 -DCMAKE_ASM_NASM_COMPILER=nasm >/dev/null
  cmake --build "$deps/build-jpeg-$arch" --target install >/dev/null
  touch "$prefix/.built"
  echo "setup: libpng and libjpeg-turbo built into $prefix"
}

build_image_libraries i686
build_image_libraries x86_64

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

# The entries of the machine's own apt sources, one line each, tab-separated: type, URI, suite,
# components (blank-separated), signed-by (the lines of an embedded key joined by \001), trusted.
# Both formats apt reads: the one-line lists (the main list and parts/*.list) and the deb822 files
# (parts/*.sources); disabled deb822 entries are left out.
apt_source_entries() {
  local list parts file
  eval "$(apt-config shell list Dir::Etc::SourceList/f parts Dir::Etc::SourceParts/d)"
  for file in "$list" "${parts%/}"/*.list; do
    [ -f "$file" ] || continue
    awk '
      { sub(/#.*/, "") }
      NF < 3 { next }
      {
        type = $1; i = 2; signed = ""; trusted = ""
        if ($i ~ /^\[/) {
          options = ""
          for (; i <= NF; i++) { options = options " " $i; if ($i ~ /\]$/) { i++; break } }
          gsub(/[][]/, " ", options)
          n = split(options, option, " ")
          for (j = 1; j <= n; j++) {
            if (option[j] ~ /^signed-by=/) signed = substr(option[j], 11)
            if (option[j] ~ /^trusted=/) trusted = substr(option[j], 9)
          }
        }
        uri = $i; suite = $(i + 1); components = ""
        for (j = i + 2; j <= NF; j++) components = components (components == "" ? "" : " ") $j
        print type "\t" uri "\t" suite "\t" components "\t" signed "\t" trusted
      }' "$file"
  done
  for file in "${parts%/}"/*.sources; do
    [ -f "$file" ] || continue
    awk '
      function flush(   nt, nu, ns, a, b, c, t, u, v) {
        if (field["types"] != "" && tolower(field["enabled"]) != "no") {
          nt = split(field["types"], t, " "); nu = split(field["uris"], u, " ")
          ns = split(field["suites"], v, " ")
          for (a = 1; a <= nt; a++) for (b = 1; b <= nu; b++) for (c = 1; c <= ns; c++)
            print t[a] "\t" u[b] "\t" v[c] "\t" field["components"] "\t" field["signed-by"] "\t" field["trusted"]
        }
        split("", field); name = ""
      }
      /^#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^[ \t]/ {
        if (name != "") { line = $0; sub(/^[ \t]+/, "", line); field[name] = field[name] "\001" line }
        next
      }
      {
        colon = index($0, ":"); if (colon == 0) next
        name = tolower(substr($0, 1, colon - 1)); value = substr($0, colon + 1)
        sub(/^[ \t]+/, "", value); sub(/[ \t]+$/, "", value)
        field[name] = value
      }
      END { flush() }' "$file"
  done
}

# The private list of Debian source entries, in deb822 form: the machine's own Debian sources
# (whatever mirror it uses) of this release's own suite, main component, each with the keys its
# entry names (none named: the machine's trusted keys, as for its own entries). The update and
# security suites are left out: the libraries are built from the release's sources on every
# machine, and a mirror need not carry those suites' source files.
write_debian_source_list() {
  local out="$1" codename
  codename="$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")"
  apt_source_entries | awk -F '\t' -v codename="$codename" '
    $1 != "deb" && $1 != "deb-src" { next }
    $2 ~ /^cdrom:/ { next }
    codename != "" && $3 != codename { next }
    (" " $4 " ") !~ / main / { next }
    seen[$2 "\t" $3]++ { next }
    {
      printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\n", $2, $3
      if ($5 != "") {
        # An embedded key goes on as the continuation lines it came in.
        signed = $5; gsub(/\001/, "\n ", signed)
        printf "Signed-By:%s%s\n", (substr(signed, 1, 1) == "\n" ? "" : " "), signed
      }
      if ($6 != "") printf "Trusted: %s\n", $6
      printf "\n"
    }' >"$out"
  if [ ! -s "$out" ]; then
    echo "setup: the apt sources of this machine list no Debian entry of ${codename:-its release} with main;" \
      "add the Debian archive (or a mirror of it) and run again" >&2
    return 1
  fi
}

# libpng and libjpeg-turbo for Windows from Debian's own sources, for i686 (the program) and x86_64
# (the Wine tests on machines that cannot run 32-bit Linux programs, see scripts/wine-env.sh). A
# private source list keeps the machine's apt configuration as it is.
fetch_sources() {
  [ -f "$deps/src/.unpacked" ] && return 0
  local apt_dir="$deps/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$deps/src"
  # apt reads a list named *.sources in the deb822 form.
  write_debian_source_list "$apt_dir/debian-src.sources"
  local apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/debian-src.sources" -o Dir::Etc::SourceParts=/dev/null
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
  # Build folders afresh: one left from an earlier run, or copied with build/deps from another
  # tree, names other folders in its cache.
  rm -rf "$deps/build-png-$arch" "$deps/build-jpeg-$arch"
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

#!/usr/bin/env bash
# Brings a Debian 12 machine (as root) to the point where every build and test of this tree runs:
# Debian packages, the zh_CN.UTF-8 locale that Wine needs for code page 936, and the cross-built
# liblzma and libcrypto of both Windows flavours. Each step checks first and does nothing when its
# result is already there, so a second run costs a few seconds.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev file
  liblzma-dev libssl-dev googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine64 fonts-wine xvfb xauth x11-utils imagemagick fonts-wqy-microhei locales
  xz-utils openssl time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine reads the ANSI code page from the glibc locale; without a real zh_CN.UTF-8 locale every
# non-ASCII file name fails. The locale lives in our cache and is only set for Wine processes.
if [ ! -f "$VANTOR_LOCPATH/zh_CN.UTF-8/LC_CTYPE" ]; then
  echo "setup: generating zh_CN.UTF-8 into $VANTOR_LOCPATH"
  mkdir -p "$VANTOR_LOCPATH"
  localedef -i zh_CN -f UTF-8 "$VANTOR_LOCPATH/zh_CN.UTF-8" 2>/dev/null || test -f "$VANTOR_LOCPATH/zh_CN.UTF-8/LC_CTYPE"
fi

"$here/build-deps.sh" x86_64-w64-mingw32
"$here/build-deps.sh" i686-w64-mingw32

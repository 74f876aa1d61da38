#!/usr/bin/env bash
# Cross-builds static liblzma and libcrypto for one MinGW-w64 target from Debian's source packages.
# Usage: build-deps.sh x86_64-w64-mingw32 | i686-w64-mingw32
# Result: $VANTOR_CACHE/deps/<target>/{include,lib}; nothing is done when that prefix was already
# built from the same source versions.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

target=${1:?target triplet}
case "$target" in
  x86_64-w64-mingw32) ossl_target=mingw64 ;;
  i686-w64-mingw32) ossl_target=mingw ;;
  *) echo "build-deps: unknown target $target" >&2; exit 2 ;;
esac
prefix=$VANTOR_CACHE/deps/$target
stamp=$prefix/.built

ensure_deb_src() {
  if [ -z "$(apt-cache showsrc xz-utils 2>/dev/null | head -1)" ]; then
    echo "build-deps: enabling Debian source packages"
    local f=/etc/apt/sources.list.d/debian.sources
    if [ -f "$f" ]; then
      sed 's/^Types: deb$/Types: deb-src/' "$f" > /etc/apt/sources.list.d/vantor-deb-src.sources
    else
      grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/vantor-deb-src.list
    fi
    apt-get update -qq
  fi
}

# Prints the pinned version when the archive still has it, else the newest of the same series.
pick_version() {
  local pkg=$1 pinned=$2 series=$3 versions
  versions=$(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p')
  if grep -qxF "$pinned" <<<"$versions"; then
    echo "$pinned"
    return
  fi
  local newest
  newest=$(grep "^$series" <<<"$versions" | sort -V | tail -1)
  [ -n "$newest" ] || { echo "build-deps: no source of $pkg $series in the archive" >&2; exit 1; }
  echo "build-deps: $pkg $pinned is no longer in the archive; using $newest" >&2
  echo "$newest"
}

want_stamp() { printf 'xz-utils %s\nopenssl %s\n' "$1" "$2"; }

# Fast path without touching apt: the prefix exists and was built from the pinned versions.
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(want_stamp "$XZ_DEB_VERSION" "$OPENSSL_DEB_VERSION")" ]; then
  exit 0
fi

ensure_deb_src
xz_ver=$(pick_version xz-utils "$XZ_DEB_VERSION" 5.4.)
ossl_ver=$(pick_version openssl "$OPENSSL_DEB_VERSION" 3.0.)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(want_stamp "$xz_ver" "$ossl_ver")" ]; then
  exit 0
fi

jobs=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
echo "build-deps: fetching xz-utils $xz_ver and openssl $ossl_ver"
apt-get source -qq "xz-utils=$xz_ver" "openssl=$ossl_ver" >/dev/null 2>&1 \
  || apt-get source "xz-utils=$xz_ver" "openssl=$ossl_ver"

rm -rf "$prefix"
mkdir -p "$prefix"

# Runs a build command with its output in a log, shown only when the command fails.
logged() {
  local log=$1; shift
  "$@" >>"$log" 2>&1 || { echo "build-deps: failed: $*" >&2; tail -40 "$log" >&2; exit 1; }
}

echo "build-deps: liblzma for $target"
cd "$work"/xz-utils-*/
logged "$work/xz.log" ./configure -q --host="$target" --prefix="$prefix" --libdir="$prefix/lib" \
  --disable-shared --enable-static --disable-xz --disable-xzdec --disable-lzmadec \
  --disable-lzmainfo --disable-lzma-links --disable-scripts --disable-doc --disable-nls \
  --enable-threads=win95
logged "$work/xz.log" make -j"$jobs" -C src/liblzma
logged "$work/xz.log" make -C src/liblzma install

echo "build-deps: libcrypto for $target"
cd "$work"/openssl-*/
logged "$work/openssl.log" ./Configure "$ossl_target" --cross-compile-prefix="$target-" \
  --prefix="$prefix" --libdir=lib no-shared no-tests no-engine no-module no-legacy no-asm
logged "$work/openssl.log" make -j"$jobs" build_libs
logged "$work/openssl.log" make install_dev

want_stamp "$xz_ver" "$ossl_ver" > "$stamp"
echo "build-deps: $target ready in $prefix"

#!/usr/bin/env bash
# A package made by the native ezp from a tree with code page 936 names is extracted by the Windows
# ezp under Wine; the result must equal the tree byte for byte, a second extraction must write
# nothing, and the Windows ezp must pack the tree into the very same bytes. Usage: extract_native_package.sh NATIVE_EZP WINDOWS_EZP WINE_TEMPLATE
set -euo pipefail
native=${1:?native ezp}; windows=${2:?windows ezp}; template=${3:?wine template}
runner=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run.sh
[ -x "$native" ] || { echo "the native ezp is missing at $native: build the native preset first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

src=$work/src
mkdir -p "$src/setupdir/数字证书/子目录" "$src/windir"
printf 'hello' >"$src/setupdir/readme.txt"
head -c 300000 /dev/urandom >"$src/setupdir/数字证书/客户端.dll"
head -c 70000 /dev/urandom >"$src/setupdir/数字证书/子目录/乗表.dat"
printf 'W' >"$src/windir/Winscard.dll"
"$native" pack "$src" "$work/p"

"$runner" "$template" "$windows" extract "$work/p.ezpi" "$work/out" | tr -d '\r' >"$work/first"
diff -r "$src" "$work/out"
grep -qx '4 written, 0 unchanged, 0 failed' "$work/first" || { cat "$work/first"; exit 1; }
"$runner" "$template" "$windows" extract "$work/p.ezpi" "$work/out" | tr -d '\r' >"$work/second"
grep -qx '0 written, 4 unchanged, 0 failed' "$work/second" || { cat "$work/second"; exit 1; }
# Both builds make the same package from the same tree: names, order and bytes.
"$runner" "$template" "$windows" pack "$src" "$work/w" >/dev/null
cmp "$work/p.ezpi" "$work/w.ezpi"
cmp "$work/p.ezps" "$work/w.ezps"
echo "the Windows ezp extracted the native package byte for byte and packs the tree identically"

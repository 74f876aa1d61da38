#!/usr/bin/env bash
# A payload of COUNT small text files below setupdir/ (in a few folders) and one in windir/.
# Usage: make-many-files.sh DIR COUNT
set -euo pipefail
dir=${1:?dir}; count=${2:?count}
rm -rf "$dir/setupdir" "$dir/windir"
mkdir -p "$dir/setupdir" "$dir/windir"
for ((i = 0; i < count; i++)); do
  sub=$dir/setupdir
  ((i % 3 == 1)) && sub=$dir/setupdir/组件$((i % 7))
  mkdir -p "$sub"
  printf 'file %04d of the test payload\r\n' "$i" >"$sub/$(printf %04d "$i").txt"
done
printf 'system file\r\n' >"$dir/windir/ZevaTest.ini"

#!/usr/bin/env bash
# The ezp command line as an installer builder uses it. Usage: ezp_cli_test.sh PATH_TO_EZP
set -uo pipefail
ezp=${1:?ezp}
corpus=$(cd "$(dirname "$0")/../corpus" && pwd)
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect_exit CODE WHAT -- command...
expect_exit() {
  local want=$1 what=$2; shift 3
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [ "$got" = "$want" ] || fail "$what: exit $got, wanted $want; stderr: $(cat "$work/err")"
}
# The error is one line on stderr that says what it is about.
expect_one_line_naming() {
  local what=$1 needle=$2
  [ "$(wc -l <"$work/err")" = 1 ] || fail "$what: wanted one line on stderr, got: $(cat "$work/err")"
  grep -qF -- "$needle" "$work/err" || fail "$what: stderr does not name '$needle': $(cat "$work/err")"
}

# A tree with nested folders and code page 936 names, one of them with a 0x5C trail byte (乗).
# Entries are listed in byte order of their code page 936 names: 客 (BF CD) before 子 (D7 D3).
src=$work/src
mkdir -p "$src/setupdir/数字证书/子目录" "$src/windir"
printf 'hello' >"$src/setupdir/readme.txt"
head -c 200000 /dev/urandom >"$src/setupdir/数字证书/客户端.dll"
printf 'x' >"$src/setupdir/数字证书/子目录/乗.txt"
printf 'W' >"$src/windir/Winscard.dll"

expect_exit 0 "pack" -- "$ezp" pack "$src" "$work/p"
expect_exit 0 "list" -- "$ezp" list "$work/p.ezpi"
names=$(cut -f1 "$work/out" | tr '\n' '|')
[ "$names" = '\setupdir\readme.txt|\setupdir\数字证书\客户端.dll|\setupdir\数字证书\子目录\乗.txt|\windir\Winscard.dll|' ] \
  || fail "list names or order: $names"
awk -F'\t' '$1 ~ /readme/ && !($2 == 5 && $4 == 1 && length($5) == 64) { exit 1 }' "$work/out" \
  || fail "list fields: $(cat "$work/out")"
expect_exit 0 "verify" -- "$ezp" verify "$work/p.ezpi"

expect_exit 0 "extract" -- "$ezp" extract "$work/p.ezpi" "$work/out1"
diff -r "$src" "$work/out1" >/dev/null || fail "extracted tree differs from the source"
grep -q '^4 written, 0 unchanged, 0 failed$' "$work/out" || fail "extract summary: $(cat "$work/out")"
touch -d '2001-01-01' "$work/out1/setupdir/readme.txt"
expect_exit 0 "extract again" -- "$ezp" extract "$work/p.ezpi" "$work/out1"
grep -q '^0 written, 4 unchanged, 0 failed$' "$work/out" || fail "second extract wrote: $(cat "$work/out")"
[ "$(date -r "$work/out1/setupdir/readme.txt" +%Y)" = 2001 ] || fail "an identical file was rewritten"

# The same tree gives the same bytes; --plain writes flag 0.
expect_exit 0 "pack again" -- "$ezp" pack "$src" "$work/q"
cmp -s "$work/p.ezpi" "$work/q.ezpi" && cmp -s "$work/p.ezps" "$work/q.ezps" || fail "packing is not deterministic"
expect_exit 0 "pack --plain" -- "$ezp" pack --plain "$src" "$work/plain"
expect_exit 0 "list plain" -- "$ezp" list "$work/plain.ezpi"
[ "$(cut -f4 "$work/out" | sort -u)" = 0 ] || fail "--plain flags: $(cut -f4 "$work/out")"

# Trees the installer could not use.
mkdir -p "$work/empty/a" && : >"$work/empty/a/zero.bin"
expect_exit 1 "empty file" -- "$ezp" pack "$work/empty" "$work/e"
expect_one_line_naming "empty file" "zero.bin"
[ ! -e "$work/e.ezpi" ] && [ ! -e "$work/e.ezps" ] || fail "a refused pack left files"
mkdir -p "$work/emoji" && printf 'x' >"$work/emoji/smile-😀.txt"
expect_exit 1 "name outside code page 936" -- "$ezp" pack "$work/emoji" "$work/e"
expect_one_line_naming "name outside code page 936" "smile-😀.txt"

# Damage: a flipped byte in the store is named by verify, and extract leaves that target alone.
cp "$work/p.ezpi" "$work/d.ezpi" && cp "$work/p.ezps" "$work/d.ezps"
byte=$(od -An -tu1 -j1000 -N1 "$work/d.ezps" | tr -d ' ')
printf "\\x$(printf %02x $((byte ^ 0xFF)))" | dd of="$work/d.ezps" bs=1 seek=1000 conv=notrunc 2>/dev/null
cmp -s "$work/d.ezps" "$work/p.ezps" && fail "the store was not damaged"
expect_exit 1 "verify damaged" -- "$ezp" verify "$work/d.ezpi"
expect_one_line_naming "verify damaged" "客户端.dll"
mkdir -p "$work/out2/setupdir/数字证书" && printf 'old' >"$work/out2/setupdir/数字证书/客户端.dll"
expect_exit 1 "extract damaged" -- "$ezp" extract "$work/d.ezpi" "$work/out2"
[ "$(cat "$work/out2/setupdir/数字证书/客户端.dll")" = old ] || fail "a damaged entry reached its target"
[ -f "$work/out2/setupdir/readme.txt" ] || fail "sound entries beside a damaged one were not extracted"

# An entry named to climb out of the destination is refused and nothing lands outside.
mkdir -p "$work/deep/dest"
expect_exit 1 "escaping name" -- "$ezp" extract "$corpus/bad-escape.ezpi" "$work/deep/dest"
expect_one_line_naming "escaping name" "evil.dll"
[ -z "$(find "$work/deep" -type f)" ] || fail "the escaping entry was written: $(find "$work/deep" -type f)"

# Bad input: one line naming the file, a nonzero exit, no crash.
expect_exit 1 "missing index" -- "$ezp" list "$work/none.ezpi"
expect_one_line_naming "missing index" "none.ezpi"
expect_exit 1 "garbage index" -- "$ezp" verify "$corpus/bad-garbage.ezpi"
expect_one_line_naming "garbage index" "bad-garbage.ezpi"
printf 'x' >"$work/blocker"
expect_exit 1 "destination is a file" -- "$ezp" extract "$work/p.ezpi" "$work/blocker"
expect_one_line_naming "destination is a file" "blocker"
expect_exit 2 "unknown command" -- "$ezp" frobnicate

# LZMA-alone streams: our own round trip, and xz as a second opinion on what we write.
expect_exit 0 "compress" -- "$ezp" compress "$work/p.ezps" "$work/s.lzma"
[ "$(od -An -tx1 -N5 "$work/s.lzma" | tr -d ' ')" = 5d00000001 ] || fail "stream properties or dictionary"
[ "$(od -An -tu8 -j5 -N8 "$work/s.lzma" | tr -d ' ')" = "$(stat -c %s "$work/p.ezps")" ] || fail "stream size field"
expect_exit 0 "decompress" -- "$ezp" decompress "$work/s.lzma" "$work/s.out"
cmp -s "$work/s.out" "$work/p.ezps" || fail "decompress round trip"
xz --format=lzma -dc "$work/s.lzma" | cmp -s - "$work/p.ezps" || fail "xz does not read our stream"
xz --format=lzma -c "$work/p.ezps" >"$work/xz.lzma"
expect_exit 1 "stream of unknown size" -- "$ezp" decompress "$work/xz.lzma" "$work/xz.out"
expect_one_line_naming "stream of unknown size" "(4)"
expect_exit 1 "truncated stream" -- "$ezp" decompress "$corpus/bad-truncated.lzma" "$work/t.out"
expect_one_line_naming "truncated stream" "(6)"
[ ! -e "$work/t.out" ] || fail "a failed decompress left its output"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "ezp command line: all cases passed"

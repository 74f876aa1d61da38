#!/usr/bin/env bash
# Packs a payload folder into the four package files and their LZMA-alone streams.
# Usage: pack-payload.sh EZP PAYLOAD_DIR OUT_DIR
# A payload without setupdir/ or windir/ gets an empty package for it.
set -euo pipefail
ezp=${1:?ezp}; payload=${2:?payload}; out=${3:?out}
[ -x "$ezp" ] || { echo "pack-payload: the native ezp is missing at $ezp: build the native preset first" >&2; exit 1; }
mkdir -p "$out"
empty=$(mktemp -d)
trap 'rm -rf "$empty"' EXIT
for part in setupdir windir; do
  src=$payload/$part
  [ -d "$src" ] || src=$empty
  "$ezp" pack "$src" "$out/$part"
  "$ezp" compress "$out/$part.ezpi" "$out/$part.ezpi.lzma"
  "$ezp" compress "$out/$part.ezps" "$out/$part.ezps.lzma"
done

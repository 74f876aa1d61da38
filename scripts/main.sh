#!/usr/bin/env bash
# The main job: sets the machine up, builds every flavour (VantorSetup.exe with the sample suite among
# them), and packs a payload into the four package files and their LZMA-alone streams (the form the
# setup program carries), listing and verifying them.
# Usage: main.sh [PAYLOAD_DIR]   (default: sample-suite; a payload has setupdir/ and windir/)
# Output: build/payload/{setupdir,windir}.{ezpi,ezps} and the same with .lzma appended;
# build/windows-x86/setup/VantorSetup.exe (ships) and build/windows-x64/setup/VantorSetup.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
payload=$(cd "${1:-sample-suite}" && pwd)
for part in setupdir windir; do
  [ -d "$payload/$part" ] || { echo "main: $payload has no $part/ folder" >&2; exit 1; }
done

scripts/setup-machine.sh
scripts/build.sh native windows-x64 windows-x86

ezp=build/native/tools/ezp/ezp
out=build/payload
mkdir -p "$out"
for part in setupdir windir; do
  echo "== $part: pack $payload/$part"
  "$ezp" pack "$payload/$part" "$out/$part.new"
  # Unchanged packages keep their files and streams, so a second run compresses nothing.
  for ext in ezpi ezps; do
    if cmp -s "$out/$part.new.$ext" "$out/$part.$ext" && [ -f "$out/$part.$ext.lzma" ]; then
      rm "$out/$part.new.$ext"
    else
      mv "$out/$part.new.$ext" "$out/$part.$ext"
      "$ezp" compress "$out/$part.$ext" "$out/$part.$ext.lzma"
    fi
    "$ezp" decompress "$out/$part.$ext.lzma" "$out/$part.$ext.check"
    cmp "$out/$part.$ext.check" "$out/$part.$ext"
    rm "$out/$part.$ext.check"
  done
  "$ezp" list "$out/$part.ezpi"
  "$ezp" verify "$out/$part.ezpi"
done
scripts/check-pe.sh build/windows-x86/tools/ezp/ezp.exe 'PE32 executable' 'Intel 80386'
scripts/check-pe.sh build/windows-x86/setup/VantorSetup.exe 'PE32 executable' 'Intel 80386'
scripts/check-pe.sh build/windows-x64/setup/VantorSetup.exe 'PE32+ executable' 'x86-64'
ls -l "$out"

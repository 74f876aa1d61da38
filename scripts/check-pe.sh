#!/usr/bin/env bash
# Fails unless FILE is a Windows program of the expected kind and needs no runtime DLL of the
# toolchain. Usage: check-pe.sh FILE TEXT... (each TEXT must appear in file(1)'s description)
set -euo pipefail
f=${1:?file}; shift
desc=$(file -b "$f")
for want in "$@"; do
  case "$desc" in
    *"$want"*) ;;
    *) echo "check-pe: $f is '$desc', not '$want'" >&2; exit 1 ;;
  esac
done
# A statically linked program imports only system DLLs.
triplet=x86_64-w64-mingw32
case "$desc" in *"Intel 80386"*) triplet=i686-w64-mingw32 ;; esac
if "$triplet-objdump" -p "$f" | grep -iE 'DLL Name: (libgcc|libstdc|libwinpthread|liblzma|libcrypto)' >&2; then
  echo "check-pe: $f needs toolchain DLLs" >&2
  exit 1
fi
echo "$f: $desc"

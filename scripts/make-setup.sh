#!/usr/bin/env bash
# Builds VantorSetup.exe (the 32-bit program that ships) carrying another payload.
# Usage: make-setup.sh PAYLOAD_DIR [OUT_DIR]
#   PAYLOAD_DIR holds setupdir/ (files for the install folder) and windir/ (files for the system
#   folder); OUT_DIR (default build/out) receives VantorSetup.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
payload=$(cd "${1:?payload folder}" && pwd)
out=$(mkdir -p "${2:-$root/build/out}" && cd "${2:-$root/build/out}" && pwd)
for part in setupdir windir; do
  [ -d "$payload/$part" ] || echo "make-setup: $payload has no $part/ folder: that package will be empty" >&2
done
cd "$root"
scripts/setup-machine.sh
scripts/build.sh native
tree=build/setup-$(printf '%s' "$payload" | sha1sum | cut -c1-12)
if [ ! -f "$tree/CMakeCache.txt" ]; then
  cmake --preset windows-x86 -B "$tree" -DVANTOR_PAYLOAD_DIR="$payload" >/dev/null
fi
cmake --build "$tree" --target VantorSetup | grep -vE '^\[[0-9]+/[0-9]+\] ' || true
test "${PIPESTATUS[0]}" -eq 0
cp "$tree/setup/VantorSetup.exe" "$out/VantorSetup.exe"
scripts/check-pe.sh "$out/VantorSetup.exe" 'PE32 executable' 'Intel 80386'

#!/usr/bin/env bash
# The sample suite's files plus the stand-ins built for this flavour, as one payload folder.
# Usage: assemble-payload.sh SAMPLE_SUITE OUT_DIR STANDIN_EXE CERT_HELPER_EXE ZEVA_CORE_DLL
set -euo pipefail
suite=${1:?}; out=${2:?}; standin=${3:?}; helper=${4:?}; core=${5:?}
rm -rf "$out"
mkdir -p "$out"
cp -r "$suite/setupdir" "$suite/windir" "$out/"
for name in VantorShell VantorGui Update DeviceMonitor; do
  cp "$standin" "$out/setupdir/$name.exe"
done
cp "$helper" "$out/setupdir/CertHelper.exe"
cp "$core" "$out/setupdir/ZevaCore.dll"
touch "$out/.assembled"

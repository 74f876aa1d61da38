#!/usr/bin/env bash
# Every test: native unit and command-line tests, the same under ASan and UBSan, a bounded fuzz run,
# the Windows tests under Wine, and a link of the 32-bit Windows build. Sets the machine up first.
# VANTOR_FUZZ_SECONDS (default 60) is the fuzzing time shared by all fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-machine.sh
scripts/build.sh native native-san windows-x64 windows-x86

echo "== native tests"
ctest --preset native -j2
echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --preset native-san -j2
echo "== fuzzing"
scripts/fuzz.sh build/native-san "${VANTOR_FUZZ_SECONDS:-60}"
echo "== Windows tests under Wine"
ctest --preset windows-x64 -j2
echo "== 32-bit Windows build"
scripts/check-pe.sh build/windows-x86/tools/ezp/ezp.exe 'PE32 executable' 'Intel 80386'
scripts/check-pe.sh build/windows-x86/setup/VantorSetup.exe 'PE32 executable' 'Intel 80386'
echo "all tests passed; screenshots in build/windows-x64/screenshots"

#!/usr/bin/env bash
# Configures (first time only) and builds the given presets; ninja decides what is out of date.
# Usage: build.sh PRESET...
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in "$@"; do
  if [ ! -f "build/$preset/CMakeCache.txt" ]; then
    cmake --preset "$preset" >/dev/null
  fi
  echo "== build $preset"
  cmake --build --preset "$preset" | grep -vE '^\[[0-9]+/[0-9]+\] ' || true
  test "${PIPESTATUS[0]}" -eq 0
done

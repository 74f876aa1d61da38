#!/usr/bin/env bash
# Runs every fuzz target of a sanitizer build tree for a share of SECONDS, starting from the package
# corpus and from what earlier runs found (kept in the build tree). Fails on any crash, leak,
# sanitizer report or memory use beyond the limit.
# Usage: fuzz.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=$root/tests/corpus
seeds=$build/fuzz-seeds
mkdir -p "$seeds/package" "$seeds/lzma" "$build/fuzz-found/package" "$build/fuzz-found/lzma" "$build/fuzz-artifacts"

# Package seeds: a 2-byte little-endian index length, the index, then its store.
for index in "$corpus"/*.ezpi; do
  store=${index%.ezpi}.ezps
  n=$(stat -c %s "$index")
  {
    printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8)))"
    cat "$index"
    [ -f "$store" ] && cat "$store"
  } >"$seeds/package/$(basename "$index" .ezpi)"
done
cp "$corpus"/*.lzma "$seeds/lzma/"

share=$((seconds / 2))
[ "$share" -ge 1 ] || share=1
run() {
  local target=$1 kind=$2
  echo "fuzz: $target for ${share}s"
  "$build/fuzz/$target" -max_total_time="$share" -rss_limit_mb=1024 -malloc_limit_mb=512 -timeout=20 \
    -print_final_stats=0 -artifact_prefix="$build/fuzz-artifacts/$target-" \
    "$build/fuzz-found/$kind" "$seeds/$kind" >"$build/fuzz-$target.log" 2>&1 || {
    tail -60 "$build/fuzz-$target.log"
    echo "fuzz: $target failed; the input is in $build/fuzz-artifacts" >&2
    exit 1
  }
  grep -E '^#[0-9]+.*DONE' "$build/fuzz-$target.log" | tail -1 || true
}
run fuzz_ezp_package package
run fuzz_lzma_alone lzma

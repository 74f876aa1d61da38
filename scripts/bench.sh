#!/usr/bin/env bash
# Benchmarks: builds the native preset and runs ezp_bench (package work against the floor of xz,
# openssl and plain writes, in the same run). Usage: bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-machine.sh
scripts/build.sh native
build/native/bench/ezp_bench --dir build/native/bench-data --runs "${1:-9}"
build/native/bench/process_scan_bench --benchmark_min_time=0.5

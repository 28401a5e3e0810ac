#!/usr/bin/env bash
# Builds in Release and runs the benchmarks: ./bench.sh [benchmark filter]
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup-deps.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTREVOK_TESTS=OFF -DTREVOK_BENCH=ON >/dev/null
cmake --build build/bench
for b in build/bench/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_filter="${1:-.}"
done

#!/usr/bin/env bash
# Builds the benchmarks (Release) into build-bench/ and runs one (NAME) or all.
# Each prints its own figure, the peer's, and a closing line "ratio <ours/peer>".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF -DQUORVEL_BENCH=ON
cmake --build build-bench
status=0
for b in build-bench/bench/bench_*; do
  [ -x "$b" ] || continue
  name=$(basename "$b"); name=${name#bench_}
  if [ $# -eq 0 ] || [ "$1" = "$name" ]; then
    echo "== $name"
    QUORVEL_SOURCE_DIR="$PWD" "$b" || status=1
  fi
done
exit $status

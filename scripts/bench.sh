#!/usr/bin/env bash
# Builds the benchmarks (Release) into build-bench/ and runs one (NAME, with
# its arguments) or all of them, one after another. Each prints its figures as
# lines "ratio <figure> <median> (min, max, pairs; goal)" (and some the CPU
# efficiency of both sides, "efficiency <figure> ..."). At the end the
# figures of this run are listed together with the date and the machine's load
# before and after, and kept in build-bench/bench-results-<date>.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF -DQUORVEL_BENCH=ON "${launcher[@]}"
cmake --build build-bench
stamp=$(date -u +%Y-%m-%dT%H:%M:%SZ)
log=build-bench/bench-results-$stamp.txt
load() { echo "load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"; }
{
  echo "benchmarks of $(git rev-parse --short HEAD) on $stamp, $(load) at the start"
} > "$log.head"
status=0
: > "$log.body"
for b in build-bench/bench/bench_*; do
  [ -x "$b" ] || continue
  name=$(basename "$b"); name=${name#bench_}
  if [ $# -eq 0 ] || [ "$1" = "$name" ]; then
    echo "== $name" | tee -a "$log.body"
    args=()
    [ $# -gt 0 ] && args=("${@:2}")
    QUORVEL_SOURCE_DIR="$PWD" "$b" "${args[@]}" 2>&1 | tee -a "$log.body" || status=1
  fi
done
{
  cat "$log.head"
  echo "$(load) at the end ($(date -u +%H:%MZ))"
  grep -E '^(ratio|efficiency) ' "$log.body" || true
  echo
  cat "$log.body"
} > "$log"
rm -f "$log.head" "$log.body"
echo
sed -n '1,/^$/p' "$log"
echo "(kept in $log)"
exit $status

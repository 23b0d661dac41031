#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-test/ and runs every test.
# Extra arguments go to ctest (for example: ./test.sh -L media).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
jobs=$(nproc)
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_TESTS=ON
cmake --build build-test -j "$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd build-test
# Twice as many tests as processors: many tests spend much of their time
# waiting (on ffmpeg and ffprobe, on the X server, on events), which leaves a
# processor idle when each test has one of its own.
ctest --output-on-failure -j "$((jobs * 2))" "$@"

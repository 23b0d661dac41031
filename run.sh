#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) into build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF
cmake --build build --target quorvel
exec build/quorvel "$@"

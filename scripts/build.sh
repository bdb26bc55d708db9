#!/usr/bin/env bash
# Configures and builds Dorvane into build/ (a working program folder in build/bin).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" ${CMAKE_ARGS:-} >/dev/null
cmake --build build -j"$(nproc)"

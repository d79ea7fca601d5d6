#!/bin/bash
# Configures and builds the program, its tests and benchmarks in ./build.
# PELAGRIN_WERROR=ON turns compiler warnings into errors (CI sets it).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELAGRIN_WERROR="${PELAGRIN_WERROR:-OFF}" >/dev/null
cmake --build build -j"$(nproc)"

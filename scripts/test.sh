#!/bin/bash
# Builds everything and runs the whole test suite. The GUI tests need an X
# display: a virtual one (Xvfb) is started when none is set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh

. scripts/virtual-display.sh 90 120

cd build
ctest --output-on-failure -j2 --timeout 300

#!/bin/bash
# Builds the program and starts it from the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec ./build/bin/pelagrin-gif-animator

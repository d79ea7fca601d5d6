#!/bin/bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# ./build-sanitize and runs the whole test suite under them, GUI tests
# included (a virtual display is started when none is set). Leaks that are
# the toolkit's, GTK's or fontconfig's own are suppressed by
# scripts/sanitize-suppressions.txt; anything else fails the test it shows in.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
root=$PWD
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELAGRIN_SANITIZE=ON \
  -DPELAGRIN_BUILD_TESTS=ON -DPELAGRIN_BUILD_BENCH=ON \
  "${launcher[@]}" >/dev/null
cmake --build build-sanitize -j2

. scripts/virtual-display.sh 121 150

export GSETTINGS_BACKEND=memory
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_odr_violation=0
export LSAN_OPTIONS=suppressions=$root/scripts/sanitize-suppressions.txt:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build-sanitize
# Everything runs several times slower under the sanitizers.
ctest --output-on-failure -j2 --timeout 900

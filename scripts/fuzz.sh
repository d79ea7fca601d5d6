#!/bin/bash
# Builds the fuzz targets (clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) in ./build-fuzz and runs each of them for
# SECONDS (default 60), two at a time and at low priority. The corpora grow in
# build-fuzz/fuzz/corpus/<target>, starting from fuzz/seeds/<target>; inputs
# that crash are written to build-fuzz/fuzz/findings/<target>/ and the script
# fails. Each target's last coverage line (runs, cov, ft) is printed at the end.
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --fuzz
root=$PWD
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DPELAGRIN_FUZZ=ON -DPELAGRIN_BUILD_TESTS=OFF -DPELAGRIN_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
targets=()
for source in fuzz/*_fuzzer.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
cmake --build build-fuzz -j2 --target "${targets[@]}"

run_target() {
  local target=$1 name=${1%_fuzzer}
  local dir=$root/build-fuzz/fuzz
  mkdir -p "$dir/corpus/$name" "$dir/findings/$name"
  # Pictures up to the program's pixel limits are allowed, and under the
  # sanitizers they take seconds and more than libFuzzer's default memory:
  # such inputs are written down as slow but do not stop the run (fork mode),
  # while crashes, leaks and assertions do.
  nice -n 10 "$dir/$target" -fork=1 -ignore_timeouts=1 -ignore_ooms=1 -max_total_time="$seconds" \
    -rss_limit_mb=4096 -timeout=10 -print_final_stats=1 -artifact_prefix="$dir/findings/$name/" \
    "$dir/corpus/$name" $([ -d "$root/fuzz/seeds/$name" ] && echo "$root/fuzz/seeds/$name") >"$dir/$name.log" 2>&1
}
export -f run_target
export root seconds
PELAGRIN_FUZZ_SCRATCH=$(mktemp -d)
export PELAGRIN_FUZZ_SCRATCH
trap 'rm -rf "$PELAGRIN_FUZZ_SCRATCH"' EXIT
status=0
printf '%s\n' "${targets[@]}" | xargs -P 2 -I{} bash -c 'run_target {}' || status=1
for target in "${targets[@]}"; do
  name=${target%_fuzzer}
  log=build-fuzz/fuzz/$name.log
  echo "$name: $(grep -E '^#[0-9]+' "$log" | tail -1)"
done
[ "$status" -eq 0 ] || echo "A target found a failing input: see build-fuzz/fuzz/findings/ and the logs." >&2
exit "$status"

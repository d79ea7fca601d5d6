#!/bin/bash
# The window's Save As and save-bench, on the same pictures with the default
# GIF options, must write the same bytes: save-bench's figures are then the
# program's. Needs an X display (the window is the real one).
#
#   bench/window-save-same-bytes.sh LONG_ANIMATION_BENCH SAVE_BENCH
set -euo pipefail
window_bench=${1:?usage: window-save-same-bytes.sh LONG_ANIMATION_BENCH SAVE_BENCH}
save_bench=${2:?usage: window-save-same-bytes.sh LONG_ANIMATION_BENCH SAVE_BENCH}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A home of its own, so that no options the user saved as defaults apply.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config
mkdir -p "$HOME"

# Flat screenshots (exact colours, changed rectangles) and photographs
# (palettes, dithering, the lossy coder), one after the other.
"$window_bench" --make-set screen "$scratch/screen" 4
"$window_bench" --make-set photo "$scratch/photo" 3
pictures=("$scratch"/screen/* "$scratch"/photo/*)
"$window_bench" --delay 7 --save-only "$scratch/window.gif" "${pictures[@]}" >/dev/null 2>"$scratch/window.log" ||
  { cat "$scratch/window.log" >&2; exit 1; }
"$save_bench" --delay 7 "$scratch/bench.gif" "${pictures[@]}" >/dev/null 2>"$scratch/bench.log" ||
  { cat "$scratch/bench.log" >&2; exit 1; }
if ! cmp "$scratch/window.gif" "$scratch/bench.gif"; then
  ls -l "$scratch/window.gif" "$scratch/bench.gif" >&2
  exit 1
fi
echo "same $(stat -c %s "$scratch/window.gif") bytes"

#!/bin/bash
# Loading figures of the real main window: wall time, CPU time and peak
# memory of opening a project of each picture set, median of three runs.
#
#   bench/loading-bench.sh BENCH_BINARY [SCRATCH_DIR] [SET...]
#
# BENCH_BINARY is a long-animation-bench; the picture sets are made once
# with it in SCRATCH_DIR (default /tmp/pelagrin-loading). SET is any of
# screen (1,000 flat 8-bit PNGs), screen16 (the same as 16-bit PNGs),
# photo (200 photographic 8-bit PNGs), jpeg (200 JPEGs) and video (a
# 10-second H.264 clip at 25 frames a second and 16 Mbit/s, about what a
# phone records, made with the ffmpeg command); all by default. Every picture
# is 1920 x 1080. SET cancel (also by default) loads the screen set and presses
# Cancel 1 s in: it prints how long the window and the loading threads take
# to stop, and the frames left (0: the strip is as it was).
set -euo pipefail
bench=$(realpath "${1:?usage: loading-bench.sh BENCH_BINARY [SCRATCH_DIR] [SET...]}")
scratch=${2:-/tmp/pelagrin-loading}
shift $(( $# > 1 ? 2 : 1 ))
sets=("$@")
[ ${#sets[@]} -gt 0 ] || sets=(screen screen16 photo jpeg video cancel)
. "$(dirname "$0")/../scripts/virtual-display.sh" 130 160

declare -A counts=([screen]=1000 [screen16]=1000 [photo]=200 [jpeg]=200 [video]=1)
# Another kind of set joins with its count here and a way to make it in
# make_set: each set is a folder of files that a project lists in order.
make_set() {
  if [ "$1" = video ]; then
    mkdir -p "$scratch/video"
    [ -f "$scratch/video/phone1080.mp4" ] || ffmpeg -nostdin -v error -y \
      -f lavfi -i "testsrc2=size=1920x1080:rate=25:duration=10" -vf "noise=alls=6:allf=t" \
      -c:v libx264 -preset veryfast -b:v 16M -maxrate 16M -bufsize 32M -pix_fmt yuv420p \
      "$scratch/video/phone1080.mp4"
    return
  fi
  "$bench" --make-set "$1" "$scratch/$1" "${counts[$1]}"
}

median() { sort -n | sed -n 2p; }

for set in "${sets[@]}"; do
  if [ "$set" = cancel ]; then
    make_set screen
    files=("$scratch/screen"/*)
    for run in 1 2 3; do
      "$bench" --cancel-after 1 "$scratch/cancel.gif" "${files[@]}" 2>&1 >/dev/null | grep '^cancel'
    done
    continue
  fi
  make_set "$set"
  files=("$scratch/$set"/*)
  walls=() cpus=() peaks=() frames=0
  for run in 1 2 3; do
    line=$("$bench" --load-only "$scratch/$set.gif" "${files[@]}" 2>&1 >/dev/null | grep '^load')
    walls+=("$(awk '{print $4}' <<<"$line")")
    cpus+=("$(awk '{print $7}' <<<"$line")")
    peaks+=("$(awk '{print $10}' <<<"$line")")
    frames=$(awk '{print $2}' <<<"$line")
  done
  printf '%-9s %5d frames  wall %6s s  cpu %6s s  peak %5s MB   (runs: %s)\n' "$set" "$frames" \
    "$(printf '%s\n' "${walls[@]}" | median)" "$(printf '%s\n' "${cpus[@]}" | median)" \
    "$(printf '%s\n' "${peaks[@]}" | median)" "${walls[*]}"
done

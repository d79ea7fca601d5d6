#!/bin/bash
# The video row of the loading benchmark: a 10-second 1080p H.264 clip at 25
# frames a second, of about the bit rate a phone records (16 Mbit/s), opened
# by the real main window three times; then the parts of its cost one by
# one. The clip is made once with the ffmpeg command in DIR.
#
#   bench/video-load-bench.sh [DIR]     (default /tmp/pelagrin-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-/tmp/pelagrin-bench}
bench=$root/build/bench
mkdir -p "$dir"
clip=$dir/phone1080.mp4
if [ ! -f "$clip" ]; then
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=25:duration=10" \
    -vf "noise=alls=6:allf=t" -c:v libx264 -preset veryfast -b:v 16M -maxrate 16M -bufsize 32M \
    -pix_fmt yuv420p "$clip"
fi
. "$root/scripts/virtual-display.sh" 90 120
for run in 1 2 3; do
  "$bench/long-animation-bench" "$dir/video.gif" "$clip" 2>&1 >/dev/null | grep -E '^(load|save)'
done
"$bench/video-bench" "$clip"

#!/usr/bin/env bash
# Writes frame sets as animated GIFs with the program's save-bench and with the tools a user would
# try instead, in one run, and prints for each GIF: size, wall and CPU time, peak memory, the mean and
# minimum PSNR of the displayed frames against the source pictures (bench/gif-psnr.py, PIL). On
# standard error, per set: the load average, save-bench's size, PSNR and times against the peers,
# and whether ImageMagick and ffmpeg decode save-bench's file to the frames PIL shows.
#
# Usage: bench/peer-bench.sh [--save-bench PATH] [--frames DIR] [--runs N] [--keep DIR] [SET...]
#   SET        ui term photo large video (default: all five)
#   --frames   where the frame sets are kept and made when missing (default /tmp/pelagrin-frames)
#   --runs     runs per tool; wall time and peak memory are the medians (default 1)
#   --keep     keep the GIFs in DIR/SET/TOOL.gif instead of removing them
#
# Peers: save-bench's full-frame file (--no-diff --quality 100, where save-bench has those options;
# else its plain output) optimised losslessly by gifsicle -O3; ImageMagick convert -layers Optimize;
# ffmpeg palettegen/paletteuse; gifski at its default quality. gifski is fetched by npm into
# /tmp/gifski the first time, as a yardstick only. The other peers and python3-pil, python3-numpy
# come from `bash scripts/install-deps.sh --bench`. Every tool runs under nice (NICE, default 10).
#
# Frame sets: ui, photo and large come from make-frames.sh (MAKE_FRAMES, default
# ../shared/bench/make-frames.sh beside the repository), which makes all its sets the first time;
# term (a terminal recording, 80 x 640x384) by bench/make-term-frames.py; video (smooth moving
# gradients with a moving box and light noise, 60 x 480x270, 25 frames a second) by ffmpeg.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
save_bench=$root/build/bench/save-bench
frames_root=/tmp/pelagrin-frames
runs=1
keep=
sets=()
while [ $# -gt 0 ]; do
  case $1 in
    --save-bench) save_bench=$2; shift 2 ;;
    --frames) frames_root=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    -h|--help) sed -n '2,/^set /p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) sets+=("$1"); shift ;;
  esac
done
[ ${#sets[@]} -gt 0 ] || sets=(ui term photo large video)
nice_level=${NICE:-10}
make_frames=${MAKE_FRAMES:-$root/../shared/bench/make-frames.sh}
gifski_dir=/tmp/gifski
gifski=$gifski_dir/node_modules/gifski/bin/debian/gifski

fail() { echo "peer-bench: $*" >&2; exit 2; }
[ -x "$save_bench" ] || fail "no save-bench at $save_bench (cmake --build build --target save-bench)"
for tool in ffmpeg gifsicle /usr/bin/time; do
  command -v "$tool" >/dev/null || fail "needs $tool (bash scripts/install-deps.sh --bench)"
done
# Debian's convert is a link to this binary; naming it times ImageMagick itself.
convert=$(command -v convert-im6.q16 || command -v convert) || fail "needs ImageMagick (bash scripts/install-deps.sh --bench)"
python=
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import PIL, numpy' 2>/dev/null; then python=$candidate; break; fi
done
[ -n "$python" ] || fail "needs python3-pil and python3-numpy (bash scripts/install-deps.sh --bench)"
if [ ! -x "$gifski" ]; then
  command -v npm >/dev/null || fail "needs npm to fetch gifski (bash scripts/install-deps.sh --bench)"
  npm install --silent --prefix "$gifski_dir" gifski@1.7.1 >&2 || fail "npm could not install gifski"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

frame_count() { case $1 in ui) echo 100 ;; term) echo 80 ;; photo|video) echo 60 ;; large) echo 20 ;; esac; }
frame_delay() { case $1 in video) echo 4 ;; *) echo 10 ;; esac; }

make_set() { # SET DIR
  case $1 in
    ui|photo|large)
      [ -f "$make_frames" ] || fail "no make-frames.sh at $make_frames (set MAKE_FRAMES)"
      nice -n "$nice_level" bash "$make_frames" "$frames_root" >&2 ;;
    term) nice -n "$nice_level" "$python" "$here/make-term-frames.py" "$2" 80 640x384 ;;
    video)
      mkdir -p "$2"
      nice -n "$nice_level" ffmpeg -v error -y \
        -f lavfi -i "gradients=s=480x270:r=25:speed=0.03:n=5:seed=11" \
        -f lavfi -i "gradients=s=480x270:r=25:speed=0.02:n=3:seed=5" \
        -f lavfi -i "color=c=0xf0e8d0:s=64x48:r=25" \
        -filter_complex "[0][1]blend=all_mode=average[bg];[bg][2]overlay=x='40+t*140':y='110+40*sin(t*3)':shortest=1,noise=alls=2:allf=t+u,format=rgb24" \
        -frames:v 60 "$2/f%03d.png" ;;
    *) fail "unknown frame set $1 (ui term photo large video)" ;;
  esac
}

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

# Runs a tool RUNS times under nice and /usr/bin/time; leaves the median wall time, CPU time (user
# and system, of all threads) and peak memory in $work/NAME.wall, NAME.cpu and NAME.peak. A tool that fails is reported and the run goes on.
measure() { # NAME COMMAND...
  local name=$1 wall user system peak
  shift
  : >"$work/$name.walls"; : >"$work/$name.cpus"; : >"$work/$name.peaks"; rm -f "$work/$name.failed"
  for _ in $(seq "$runs"); do
    if ! nice -n "$nice_level" /usr/bin/time -f '%e %U %S %M' -o "$work/one" "$@" >"$work/$name.log" 2>&1; then
      echo "peer-bench: $name failed:" >&2; cat "$work/$name.log" >&2; touch "$work/$name.failed"; return 0
    fi
    read -r wall user system peak <"$work/one"
    echo "$wall" >>"$work/$name.walls"; echo "$peak" >>"$work/$name.peaks"
    awk -v u="$user" -v s="$system" 'BEGIN {printf "%.2f\n", u + s}' >>"$work/$name.cpus"
  done
  median <"$work/$name.walls" >"$work/$name.wall"
  median <"$work/$name.cpus" >"$work/$name.cpu"
  median <"$work/$name.peaks" >"$work/$name.peak"
}

report() { # SET-LABEL TOOL-LABEL NAME GIF DELAY PICTURES...
  local label=$1 tool=$2 name=$3 gif=$4 delay=$5 quality mean min exact frames duration
  shift 5
  if [ -e "$work/$name.failed" ] || [ ! -s "$gif" ]; then
    printf '| %s | %s | failed | | | | | | | | |\n' "$label" "$tool"
    return
  fi
  quality=$("$python" "$here/gif-psnr.py" --delay "$delay" "$gif" "$@")
  mean=$(sed -n 's/.*mean_db=\([^ ]*\).*/\1/p' <<<"$quality")
  min=$(sed -n 's/.*min_db=\([^ ]*\).*/\1/p' <<<"$quality")
  exact=$(sed -n 's/.*exact=\([^ ]*\).*/\1/p' <<<"$quality")
  frames=$(sed -n 's/.*frames=\([^ ]*\).*/\1/p' <<<"$quality")
  duration=$(sed -n 's/.*duration_cs=\([^ ]*\).*/\1/p' <<<"$quality")
  echo "$(stat -c %s "$gif") $mean" >"$work/$name.result"
  [ "${exact%/*}" = "${exact#*/}" ] && exact=lossless
  # A GIF that runs longer or shorter than its pictures gets its durations shown.
  [ "${duration%/*}" = "${duration#*/}" ] && duration=same || duration="${duration/\// of } cs"
  printf '| %s | %s | %d | %s | %s | %d | %s | %s | %s | %s | %s |\n' "$label" "$tool" \
    $(( ($(stat -c %s "$gif") + 512) / 1024 )) "$(cat "$work/$name.wall")" "$(cat "$work/$name.cpu")" \
    $(( $(cat "$work/$name.peak") / 1024 )) \
    "$mean" "$min" "$exact" "$frames" "$duration"
}

# The figures the program is judged by, on standard error beside the table: its size against the
# lossless optimiser's and gifski's, its PSNR against gifski's, its times as a share of gifski's.
compare_with_peers() { # SET
  local f ours_size ours_db lossless_size gifski_size gifski_db
  for f in save-bench gifsicle gifski; do [ -s "$work/$f.result" ] || return 0; done
  read -r ours_size ours_db <"$work/save-bench.result"
  read -r lossless_size _ <"$work/gifsicle.result"
  read -r gifski_size gifski_db <"$work/gifski.result"
  awk -v set="$1" -v s="$ours_size" -v l="$lossless_size" -v g="$gifski_size" -v d="$ours_db" -v e="$gifski_db" \
      -v w="$(cat "$work/save-bench.wall")" -v x="$(cat "$work/gifski.wall")" \
      -v c="$(cat "$work/save-bench.cpu")" -v y="$(cat "$work/gifski.cpu")" 'BEGIN {
    printf "%s: save-bench size %.2f x gifsicle -O3, %.2f x gifski", set, s / l, s / g
    if (d != "n/a" && e != "n/a") printf "; PSNR %+.2f dB against gifski", d - e
    if (x > 0 && y > 0) printf "; wall %.2f x, CPU %.2f x gifski", w / x, c / y
    printf "\n"
  }' >&2
  rm -f "$work"/*.result
}

# Whether ImageMagick and ffmpeg show save-bench's frames as PIL does, on standard error.
check_decoders() { # SET GIF
  local folder=$work/decoded
  rm -rf "$folder"; mkdir -p "$folder/ImageMagick" "$folder/ffmpeg"
  nice -n "$nice_level" "$convert" "$2" -coalesce "$folder/ImageMagick/%05d.png" &&
    nice -n "$nice_level" ffmpeg -v error -i "$2" -fps_mode passthrough "$folder/ffmpeg/%05d.png" &&
    echo "$1: save-bench decoded by $("$python" "$here/gif-same-frames.py" "$2" \
      ImageMagick="$folder/ImageMagick" ffmpeg="$folder/ffmpeg" | paste -sd, - | sed 's/,/, /g') (against PIL)" >&2 ||
    echo "$1: ImageMagick or ffmpeg could not decode save-bench's file" >&2
  rm -rf "$folder"
}

# save-bench's full-frame lossless file, where it can write one; else its default output.
full_frame_options=()
usage=$("$save_bench" 2>&1 || true)
if [[ $usage == *--no-diff* ]]; then full_frame_options=(--no-diff --quality 100); fi

printf '| Frames | Tool | Size (KB) | Wall (s) | CPU (s) | Peak (MB) | Mean PSNR (dB) | Min PSNR (dB) | Exact | GIF frames | Duration |\n'
printf '|---|---|---:|---:|---:|---:|---:|---:|---|---:|---|\n'
for set in "${sets[@]}"; do
  dir=$frames_root/$set
  count=$(frame_count "$set") || true
  [ -n "$count" ] || fail "unknown frame set $set (ui term photo large video)"
  shopt -s nullglob
  pictures=("$dir"/*.png)
  shopt -u nullglob
  if [ ${#pictures[@]} -lt "$count" ]; then
    make_set "$set" "$dir"
    pictures=("$dir"/*.png)
  fi
  delay=$(frame_delay "$set")
  read -r width height < <("$python" -c 'import sys; from PIL import Image; print(*Image.open(sys.argv[1]).size)' "${pictures[0]}")
  out=$work/$set
  mkdir -p "$out/sequence"
  for i in "${!pictures[@]}"; do ln -sf "${pictures[$i]}" "$(printf '%s/sequence/%05d.png' "$out" "$i")"; done
  label="$set: ${#pictures[@]} x ${width}x${height}"
  echo "$set: load average $(cut -d' ' -f1-3 /proc/loadavg) before the set" >&2

  measure save-bench "$save_bench" --delay "$delay" "$out/save-bench.gif" "${pictures[@]}"
  if [ ${#full_frame_options[@]} -gt 0 ]; then
    measure full-frame "$save_bench" "${full_frame_options[@]}" --delay "$delay" "$out/full-frame.gif" "${pictures[@]}"
  else
    cp "$out/save-bench.gif" "$out/full-frame.gif"
  fi
  measure gifsicle gifsicle -O3 -o "$out/gifsicle.gif" "$out/full-frame.gif"
  measure imagemagick "$convert" -delay "$delay" -loop 0 "${pictures[@]}" -layers Optimize "$out/imagemagick.gif"
  measure ffmpeg ffmpeg -v error -y -framerate "100/$delay" -i "$out/sequence/%05d.png" \
    -filter_complex "[0:v]split[a][b];[a]palettegen[p];[b][p]paletteuse" -loop 0 "$out/ffmpeg.gif"
  measure gifski "$gifski" --quiet --no-sort --fps "$(awk -v d="$delay" 'BEGIN {printf "%g", 100 / d}')" \
    -W "$width" -H "$height" -o "$out/gifski.gif" "${pictures[@]}"

  report "$label" save-bench save-bench "$out/save-bench.gif" "$delay" "${pictures[@]}"
  if [ ${#full_frame_options[@]} -gt 0 ]; then
    report "" "save-bench ${full_frame_options[*]}" full-frame "$out/full-frame.gif" "$delay" "${pictures[@]}"
  fi
  report "" "gifsicle -O3 (over the full-frame file)" gifsicle "$out/gifsicle.gif" "$delay" "${pictures[@]}"
  report "" "ImageMagick -layers Optimize" imagemagick "$out/imagemagick.gif" "$delay" "${pictures[@]}"
  report "" "ffmpeg palettegen/paletteuse" ffmpeg "$out/ffmpeg.gif" "$delay" "${pictures[@]}"
  report "" "gifski (quality 90)" gifski "$out/gifski.gif" "$delay" "${pictures[@]}"
  compare_with_peers "$set"
  [ -e "$work/save-bench.failed" ] || check_decoders "$set" "$out/save-bench.gif"
  if [ -n "$keep" ]; then
    mkdir -p "$keep/$set"
    cp "$out"/*.gif "$keep/$set/"
  fi
  rm -rf "$out"
done

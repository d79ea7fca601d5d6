#!/bin/bash
# Pictures of the main window for the README: twelve frames of a demo
# project in each language asked for, as docs/main-window[-LANG].png.
#   scripts/screenshots.sh [LANG...]    (default: en de ja fr zh_TW)
# Needs the build (scripts/build.sh) and an X display; starts Xvfb if none.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
exe="$root/build/bin/pelagrin-gif-animator"
[ -x "$exe" ] || { echo "build the program first: scripts/build.sh" >&2; exit 1; }
. scripts/virtual-display.sh 90 120

work=$(mktemp -d); pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT
c++ -O1 scripts/window-shot.cpp $(wx-config --cxxflags --libs core,base) -lX11 -o "$work/window-shot"

# The frames: a dot crossing a rectangle whose colour goes round the hue circle.
mkdir -p "$work/frames"
python3 - "$work/frames" <<'PY'
import colorsys, struct, sys, zlib
def png(path, w, h, pixel):
    rows = b''.join(b'\0' + bytes(c for x in range(w) for c in pixel(x, y)) for y in range(h))
    chunk = lambda kind, data: struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    open(path, 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
                           + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))
for i in range(12):
    colour = tuple(int(c * 255) for c in colorsys.hsv_to_rgb(i / 12, 0.7, 0.92))
    cx, cy = 15 + i * 13, 60
    png('%s/frame%02d.png' % (sys.argv[1], i + 1), 160, 120,
        lambda x, y: (255, 255, 255) if (x - cx) ** 2 + (y - cy) ** 2 <= 196 else colour)
PY
{
  echo "<project><name>demo.gif</name><gif><width>160</width><height>120</height><delay_time>10</delay_time></gif><images>"
  for f in "$work"/frames/*.png; do echo "<path>$f</path>"; done
  echo "</images></project>"
} > "$work/demo.xml"

code_of() {
  case $1 in en) echo 58;; de) echo 89;; fr) echo 80;; it) echo 110;; ja) echo 112;; zh_CN) echo 46;; zh_TW) echo 47;;
    *) echo "unknown language $1" >&2; exit 1;; esac
}
for lang in "${@:-en de ja fr zh_TW}"; do
  for l in $lang; do
    home="$work/home-$l"
    # Without XDG user folders the documents folder is the home folder.
    mkdir -p "$home/Pelagrin files/Pelagrin GIF Animator"
    code_of "$l" > "$home/Pelagrin files/Pelagrin GIF Animator/language.txt"
    HOME="$home" XDG_CONFIG_HOME="$home/.config" "$exe" "$work/demo.xml" >/dev/null 2>&1 &
    pid=$!
    window=
    for _ in $(seq 200); do
      window=$(xdotool search --onlyvisible --pid "$pid" --name '^demo - Pelagrin GIF Animator$' 2>/dev/null | head -1) && [ -n "$window" ] && break
      sleep 0.1
    done
    [ -n "$window" ] || { echo "$l: the window did not appear" >&2; exit 1; }
    sleep 2  # the thumbnails and the preview are painted
    out=docs/main-window-$l.png
    [ "$l" = en ] && out=docs/main-window.png
    "$work/window-shot" "$window" "$out"
    kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
    echo "$out"
  done
done

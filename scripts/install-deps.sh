#!/bin/bash
# Installs the Debian packages the build, the program and the tests need,
# only those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libwxgtk3.2-dev                  # wxWidgets 3.2 for GTK3
  liblz4-dev                       # compression of the frames kept in the frame store
  wx3.2-i18n                       # the toolkit's own texts (buttons, progress dialog) translated
  gettext wx-common                # msgfmt builds the catalogues; xgettext, wxrc check the template
  fonts-noto-cjk                   # Chinese and Japanese glyphs for the interface and its tests
  libgtest-dev googletest          # tests
  libcurl4-openssl-dev             # fetches the update document over HTTP and HTTPS
  ca-certificates                  # the system store that HTTPS servers are verified against
  libgif-dev                       # GIF decoding, and the tests' independent check of written GIFs
  libimagequant-dev                # palettes for frames of more than 256 colours
  libspng-dev libturbojpeg0-dev    # fast PNG and JPEG decoding
  libdeflate-dev                   # inflates PNG image data several times as fast as zlib
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev  # video clips as frames
  ffmpeg                           # makes the tests' video clips
  python3-pil python3-numpy        # a second, independent GIF decoder in the tests, and the PSNR it is judged by
  python3 openssl                  # local HTTP and HTTPS servers of the update check tests
  unzip                            # reads the crash report archive in its test
  xvfb xauth x11-utils xdotool     # virtual display for the GUI tests
  libx11-dev                       # scripts/screenshots.sh reads the window's pixels from the X server
  binutils                         # nm, for the exported-symbol check
  desktop-file-utils appstream     # validating the installed menu entry and metainfo
)
if [ "${1:-}" = "--bench" ]; then
  packages+=(imagemagick time gifsicle)  # peers the benchmarks compare with (gifski comes from npm)
  # npm fetches gifski into /tmp at benchmark time; a Node.js install of its own often brings npm already
  command -v npm >/dev/null || packages+=(npm)
fi
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)  # libFuzzer and clang's sanitizer runtimes
fi

missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

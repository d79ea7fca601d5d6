#!/bin/sh
# Draws the toolbar and application icons into Themes/ and data/ with
# ImageMagick. The PNG and ICO files are committed; run this only to change them.
set -eu
cd "$(dirname "$0")/.."
t=Themes
convert -size 24x24 xc:none -fill '#ffffff' -stroke '#3a6ea5' -strokewidth 1.5 -draw "roundrectangle 2,4 17,19 2,2" \
  -fill '#8cc8e8' -stroke none -draw "rectangle 4,6 15,12" -fill '#5a9e3a' -draw "polygon 4,17 9,11 15,17" \
  -fill '#2e9b2e' -stroke '#ffffff' -strokewidth 1 -draw "circle 18,17 23,17" \
  -stroke '#ffffff' -strokewidth 2 -draw "line 18,14 18,20" -draw "line 15,17 21,17" "$t/insert.png"
convert -size 24x24 xc:none -stroke '#c62828' -strokewidth 3.5 -draw "line 5,5 19,19" -draw "line 19,5 5,19" "$t/delete.png"
convert -size 24x24 xc:none -fill '#2e9b2e' -stroke '#1b5e20' -strokewidth 1 -draw "polygon 6,3 21,12 6,21" "$t/play.png"
convert -size 24x24 xc:none -fill '#c62828' -stroke '#7f1010' -strokewidth 1 -draw "roundrectangle 5,5 19,19 2,2" "$t/stop.png"
convert -size 24x24 xc:none -fill none -stroke '#3a6ea5' -strokewidth 2.5 -draw "arc 4,4 20,20 200,520" \
  -fill '#3a6ea5' -stroke none -draw "polygon 1,9 9,9 5,15" "$t/loop.png"
app() { # size file
  convert -size 48x48 xc:none -fill '#1f4e79' -draw "roundrectangle 2,6 45,41 5,5" \
    -fill '#f3f3f3' -draw "rectangle 8,12 39,35" \
    -fill '#f4a300' -draw "circle 18,22 23,22" -fill '#2e9b2e' -draw "polygon 8,35 20,24 28,31 33,27 39,35" \
    -fill '#ffffff' -draw "rectangle 5,8 6,10" -draw "rectangle 5,16 6,18" -draw "rectangle 5,24 6,26" -draw "rectangle 5,32 6,34" \
    -draw "rectangle 41,8 42,10" -draw "rectangle 41,16 42,18" -draw "rectangle 41,24 42,26" -draw "rectangle 41,32 42,34" \
    -resize "$1x$1" "$2"
}
app 48 "$t/application.png"
app 48 data/pelagrin-gif-animator.png
app 32 /tmp/pelagrin-32.png; app 16 /tmp/pelagrin-16.png
convert "$t/application.png" /tmp/pelagrin-32.png /tmp/pelagrin-16.png "$t/application.ico"
rm -f /tmp/pelagrin-32.png /tmp/pelagrin-16.png

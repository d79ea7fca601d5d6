#!/bin/bash
# "cmake --install" lays out the same tree as the build, and the installed
# program starts from it. Installed under a temporary DESTDIR.
. "$(dirname "$0")/common.sh"
build=${1:?build folder}
work=$(mktemp -d); trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
DESTDIR="$work/dest" cmake --install "$build" --prefix /opt/pelagrin-test >"$work/install.log" 2>&1 \
  || fail "install failed: $(cat "$work/install.log")"
root="$work/dest/opt/pelagrin-test"
for f in bin/pelagrin-gif-animator Themes/gifanimator.xrc Themes/application.ico Themes/play.png \
         Themes/stop.png option.cfg; do
  [ -e "$root/$f" ] || fail "missing $f in the installed tree"
done
[ -d "$root/Language" ] || fail "missing Language folder"
find "$work/dest" -name pelagrin-gif-animator.desktop | grep -q . || fail "no menu entry installed"
grep -q "^Exec=/opt/pelagrin-test/bin/pelagrin-gif-animator" "$(find "$work/dest" -name '*.desktop')" \
  || fail "menu entry does not start the installed program"

mkdir -p "$work/home"
HOME="$work/home" "$root/bin/pelagrin-gif-animator" >"$work/out" 2>"$work/err" &
pid=$!
wait_for_windows "$pid" || fail "the installed program showed no window"
grep -qx "$root/Themes/application.ico" "$work/out" || fail "resources not found under $root: $(cat "$work/out")"
kill "$pid"; wait "$pid" 2>/dev/null
echo "installed tree: ok"

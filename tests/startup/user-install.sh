#!/bin/bash
# A user without root installs into a prefix of their own: everything lands
# under it, the menu entry and its metainfo validate, and the installed
# program opens the project named on its command line. The default /opt
# root keeps its menu entry and PATH link under /usr/local, inside DESTDIR.
. "$(dirname "$0")/common.sh"
build=${1:?build folder}
work=$(mktemp -d); chmod 755 "$work"
manifest="$build/install_manifest.txt"
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ "$(id -u)" -eq 0 ] && [ -e "$manifest" ] && chown root: "$manifest"
  rm -rf "$work"
}
trap cleanup EXIT

as_user=()
if [ "$(id -u)" -eq 0 ]; then
  # As nobody; cmake --install writes its manifest into the build folder.
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  touch "$manifest"; chown nobody "$manifest"
  chown nobody "$work"
  # The display's cookie, readable by that user.
  if [ -n "${XAUTHORITY:-}" ] && [ -r "$XAUTHORITY" ]; then
    cp "$XAUTHORITY" "$work/xauth"; chmod 644 "$work/xauth"; export XAUTHORITY="$work/xauth"
  fi
fi
run() { "${as_user[@]}" env HOME="$work/home" "$@"; }
run mkdir -p "$work/home"

prefix="$work/home/.local"
run cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 \
  || fail "install into $prefix failed: $(cat "$work/install.log")"
entry="$prefix/share/applications/pelagrin-gif-animator.desktop"
for f in bin/pelagrin-gif-animator Themes/gifanimator.xrc option.cfg share/applications/pelagrin-gif-animator.desktop \
         share/metainfo/pelagrin-gif-animator.metainfo.xml share/icons/hicolor/48x48/apps/pelagrin-gif-animator.png; do
  [ -e "$prefix/$f" ] || fail "missing $f under $prefix"
done
grep -qx "Exec=$prefix/bin/pelagrin-gif-animator %F" "$entry" || fail "wrong Exec line: $(grep Exec "$entry")"
desktop-file-validate "$entry" || fail "menu entry does not validate"
appstreamcli validate --no-net "$prefix/share/metainfo/pelagrin-gif-animator.metainfo.xml" >"$work/as.log" 2>&1 \
  || fail "metainfo does not validate: $(cat "$work/as.log")"

run env DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/pelagrin-gif-animator >"$work/install.log" 2>&1 \
  || fail "staged install failed: $(cat "$work/install.log")"
[ -e "$work/stage/usr/local/share/applications/pelagrin-gif-animator.desktop" ] || fail "no staged menu entry"
[ "$(readlink "$work/stage/usr/local/bin/pelagrin-gif-animator")" = /opt/pelagrin-gif-animator/bin/pelagrin-gif-animator ] \
  || fail "no staged PATH link"

cat >"$work/movie.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<project><name>movie.gif</name><gif><width>24</width><height>24</height><delay_time>10</delay_time></gif>
<images><path>$prefix/Themes/play.png</path></images></project>
XML
run "$prefix/bin/pelagrin-gif-animator" "$work/movie.xml" >"$work/out" 2>&1 &
pid=$!
for i in $(seq 150); do
  [ -n "$(xdotool search --onlyvisible --pid "$pid" --name '^movie - Pelagrin GIF Animator$' 2>/dev/null)" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended: $(cat "$work/out")"
  sleep 0.1
done
[ "$i" -lt 150 ] || fail "the project named on the command line was not opened"
kill "$pid"; wait "$pid" 2>/dev/null; pid=

run "$prefix/bin/pelagrin-gif-animator" --help >"$work/help" 2>&1
grep -q -- "--help" "$work/help" || fail "--help shows no usage: $(cat "$work/help")"
echo "user install: ok"

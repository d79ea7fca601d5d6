#!/bin/bash
# A user without root installs into a prefix of their own: everything lands
# under it, the menu entry and metainfo validate, and the installed program
# opens the project named on its command line. The default /opt root keeps
# its menu entry and PATH link under /usr/local (here inside DESTDIR).
. "$(dirname "$0")/common.sh"
build=${1:?build folder}
work=$(mktemp -d); chmod 755 "$work"; pid=
trap '[ -n "$pid" ] && kill "$pid"; [ "$(id -u)" -eq 0 ] && chown root: "$build/install_manifest.txt"; rm -rf "$work"' EXIT
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  # cmake --install writes its manifest into the build folder; the display's cookie must be readable.
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  touch "$build/install_manifest.txt"; chown nobody "$build/install_manifest.txt" "$work"
  [ -r "${XAUTHORITY:-}" ] && cp "$XAUTHORITY" "$work/xauth" && chmod 644 "$work/xauth" && export XAUTHORITY="$work/xauth"
fi
run() { "${as_user[@]}" env HOME="$work/home" "$@"; }
run mkdir -p "$work/home"

prefix="$work/home/.local"
run cmake --install "$build" --prefix "$prefix" >"$work/log" 2>&1 || fail "install into $prefix: $(cat "$work/log")"
entry="$prefix/share/applications/pelagrin-gif-animator.desktop"
metainfo="$prefix/share/metainfo/pelagrin-gif-animator.metainfo.xml"
for f in bin/pelagrin-gif-animator Themes/gifanimator.xrc option.cfg share/icons/hicolor/48x48/apps/pelagrin-gif-animator.png; do
  [ -e "$prefix/$f" ] || fail "missing $f under $prefix"
done
grep -qx "Exec=$prefix/bin/pelagrin-gif-animator %F" "$entry" || fail "wrong menu entry: $(cat "$entry")"
desktop-file-validate "$entry" || fail "menu entry does not validate"
appstreamcli validate --no-net "$metainfo" >"$work/log" 2>&1 || fail "metainfo: $(cat "$work/log")"

run env DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/pelagrin-gif-animator >"$work/log" 2>&1 \
  || fail "staged install: $(cat "$work/log")"
[ -e "$work/stage/usr/local/share/applications/pelagrin-gif-animator.desktop" ] \
  && [ -L "$work/stage/usr/local/bin/pelagrin-gif-animator" ] || fail "no menu entry or PATH link under /usr/local"

cat >"$work/movie.xml" <<XML
<project><name>movie.gif</name><gif><width>24</width><height>24</height><delay_time>10</delay_time></gif>
<images><path>$prefix/Themes/play.png</path></images></project>
XML
# Not through run(): $! has to be the program itself.
"${as_user[@]}" env HOME="$work/home" "$prefix/bin/pelagrin-gif-animator" "$work/movie.xml" >"$work/log" 2>&1 &
pid=$!
for i in $(seq 150); do
  xdotool search --onlyvisible --pid "$pid" --name '^movie - Pelagrin GIF Animator$' >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended: $(cat "$work/log")"
  sleep 0.1
done
[ "$i" -lt 150 ] || fail "the project named on the command line was not opened"
kill "$pid"; wait "$pid" 2>/dev/null; pid=
run "$prefix/bin/pelagrin-gif-animator" --help 2>&1 | grep -q -- "--help" || fail "--help shows no usage"
echo "user install: ok"

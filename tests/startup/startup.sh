#!/bin/bash
# Start-up checks of the real executable under an X display: an installation
# without its Themes folder, the ways of starting the program, and the trees
# "cmake --install" lays out for a user's own prefix and under /opt.
# Usage: startup.sh EXECUTABLE INSTALL_ROOT BUILD_FOLDER
set -u
exe=${1:?executable}; built_root=${2:?install root}; build=${3:?build folder}
name=$(basename "$exe")
work=$(mktemp -d); chmod 755 "$work"; pid=
fail() { echo "FAIL: $*" >&2; exit 1; }
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  # The program runs as a user without root; the display's cookie must be readable.
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chown nobody "$work"
  [ -r "${XAUTHORITY:-}" ] && cp "$XAUTHORITY" "$work/xauth" && chmod 644 "$work/xauth" && export XAUTHORITY="$work/xauth"
fi
run() { "${as_user[@]}" env HOME="$work/home" "$@"; }
run mkdir -p "$work/home" "$work/links" "$work/bare/bin"

# The program starts from a copy of the build tree's program and resources:
# the checkout may sit in a folder the other user cannot enter.
root="$work/tree"
mkdir -p "$root"
cp -r "$built_root/bin" "$built_root/Themes" "$built_root/Language" "$built_root/option.cfg" "$root/"
chmod -R a+rX "$root"
exe="$root/bin/$name"

windows() { xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null || true; }

# launch WHAT RESOURCE_ROOT TITLE COMMAND...: the program shows a window
# titled TITLE and its trace names the icon and option file under
# RESOURCE_ROOT (or, with an empty root, names no icon at all).
launch() {
  local what=$1 at=$2 title=$3 i
  shift 3
  "${as_user[@]}" env HOME="$work/home" "$@" >"$work/out" 2>"$work/err" &
  pid=$!
  for i in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || fail "$what: the program ended: $(cat "$work/err")"
    [ -n "$(windows "$pid" "$title")" ] && { [ -z "$at" ] || grep -qx "$at/Themes/application.ico" "$work/out"; } && break
    sleep 0.1
  done
  [ "$i" -lt 300 ] || fail "$what: no window titled $title; output: $(cat "$work/out")"
  [ -z "$at" ] || grep -qx "$at/option.cfg" "$work/out" || fail "$what: option file not under $at: $(cat "$work/out")"
}
stop() { kill "$pid"; wait "$pid" 2>/dev/null; pid=; }

# Without Themes: one message of its own, no toolkit error boxes, and a failure status.
cp "$exe" "$work/bare/bin/"
launch "missing Themes" "" '^Pelagrin GIF Animator$' "$work/bare/bin/$name"
sleep 0.5
shown=$(windows "$pid" '.')
[ "$(echo "$shown" | wc -l)" -eq 1 ] || fail "missing Themes: expected one message, saw windows: $shown"
grep -q "application.ico" "$work/out" && fail "missing Themes: the main window was made without its resources"
xdotool windowfocus --sync "$shown" 2>/dev/null
xdotool key --clearmodifiers Return
for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "missing Themes: the program did not end after the message"
wait "$pid"; status=$?; pid=
[ "$status" -ne 0 ] || fail "missing Themes: the program ended with success"

ln -s "$exe" "$work/links/$name"
launch "through PATH" "$root" '^Pelagrin GIF Animator$' env PATH="$(dirname "$exe"):$PATH" "$name"; stop
launch "through a link on PATH" "$root" '^Pelagrin GIF Animator$' env PATH="$work/links:$PATH" "$name"; stop
(cd "$(dirname "$exe")/.." && launch "by relative path" "$root" '^Pelagrin GIF Animator$' "./bin/$name"; stop)

# A user's own prefix: everything lands under it, the menu entry and
# metainfo validate, and the program opens a project named on its command line.
# Installed by this user, who can read the checkout, and run by the other.
prefix="$work/home/.local"
cmake --install "$build" --prefix "$prefix" >"$work/log" 2>&1 || fail "install into $prefix: $(cat "$work/log")"
chmod -R a+rX "$prefix"
entry="$prefix/share/applications/pelagrin-gif-animator.desktop"
for f in bin/$name Themes/gifanimator.xrc Themes/play.png Themes/stop.png option.cfg Language \
         share/icons/hicolor/48x48/apps/pelagrin-gif-animator.png; do
  [ -e "$prefix/$f" ] || fail "missing $f under $prefix"
done
grep -qx "Exec=$prefix/bin/$name %F" "$entry" || fail "wrong menu entry: $(cat "$entry")"
desktop-file-validate "$entry" || fail "menu entry does not validate"
appstreamcli validate --no-net "$prefix/share/metainfo/pelagrin-gif-animator.metainfo.xml" >"$work/log" 2>&1 \
  || fail "metainfo: $(cat "$work/log")"
cat >"$work/movie.xml" <<XML
<project><name>movie.gif</name><gif><width>24</width><height>24</height><delay_time>10</delay_time></gif>
<images><path>$prefix/Themes/play.png</path></images></project>
XML
launch "installed" "$prefix" '^movie - Pelagrin GIF Animator$' "$prefix/bin/$name" "$work/movie.xml"; stop
run "$prefix/bin/$name" --help 2>&1 | grep -q -- "--help" || fail "--help shows no usage"

# The default /opt root keeps its menu entry and PATH link under /usr/local.
env DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/pelagrin-gif-animator >"$work/log" 2>&1 \
  || fail "staged install: $(cat "$work/log")"
[ -e "$work/stage/usr/local/share/applications/pelagrin-gif-animator.desktop" ] \
  && [ -L "$work/stage/usr/local/bin/$name" ] || fail "no menu entry or PATH link under /usr/local"
echo "start-up: ok"

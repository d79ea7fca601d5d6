#!/bin/bash
# The program finds its resources whether it is started through PATH, by a
# relative path or through a link.
. "$(dirname "$0")/common.sh"
exe=${1:?executable}
root=${2:?install root}
name=$(basename "$exe")
work=$(mktemp -d); trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/links"
ln -s "$exe" "$work/links/$name"

check_start() { # description command...
  local what=$1; shift
  HOME="$work/home" "$@" >"$work/out" 2>"$work/err" &
  pid=$!
  wait_for_windows "$pid" || fail "$what: no window"
  # Both trace lines name the real install root: the option file and the icon.
  grep -qx "$root/option.cfg" "$work/out" || fail "$what: option file not under $root: $(cat "$work/out")"
  grep -qx "$root/Themes/application.ico" "$work/out" || fail "$what: main window not initialised"
  title=$(xdotool getwindowname "$(visible_windows "$pid" | head -1)")
  [ "$title" = "Pelagrin GIF Animator" ] || fail "$what: title '$title'"
  kill "$pid"; wait "$pid" 2>/dev/null
  echo "$what: ok"
}

check_start "through PATH" env PATH="$(dirname "$exe"):$PATH" "$name"
check_start "through a link on PATH" env PATH="$work/links:$PATH" "$name"
(cd "$(dirname "$exe")/.." && check_start "by relative path" "./bin/$name")

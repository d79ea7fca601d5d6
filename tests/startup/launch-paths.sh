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
  local what=$1 i shown=
  shift
  HOME="$work/home" "$@" >"$work/out" 2>"$work/err" &
  pid=$!
  # Shown means: the main window was initialised (its trace line names the
  # icon under the real install root) and a window with the product's title
  # is on screen.
  for i in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || fail "$what: the program ended: $(cat "$work/err")"
    if grep -qx "$root/Themes/application.ico" "$work/out" && [ -n "$(visible_windows "$pid")" ]; then
      shown=1
      break
    fi
    sleep 0.1
  done
  [ -n "$shown" ] || fail "$what: no main window; output: $(cat "$work/out")"
  grep -qx "$root/option.cfg" "$work/out" || fail "$what: option file not under $root: $(cat "$work/out")"
  kill "$pid"; wait "$pid" 2>/dev/null
  echo "$what: ok"
}

check_start "through PATH" env PATH="$(dirname "$exe"):$PATH" "$name"
check_start "through a link on PATH" env PATH="$work/links:$PATH" "$name"
(cd "$(dirname "$exe")/.." && check_start "by relative path" "./bin/$name")

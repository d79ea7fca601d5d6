#!/bin/bash
# Started from an installation without its Themes folder, the program shows
# one message of its own (no toolkit error boxes) and ends with a failure.
. "$(dirname "$0")/common.sh"
exe=${1:?executable}
root=$(mktemp -d); trap 'kill "$pid" 2>/dev/null; rm -rf "$root"' EXIT
mkdir -p "$root/bin" "$root/home"
cp "$exe" "$root/bin/"
HOME="$root/home" "$root/bin/$(basename "$exe")" >"$root/out" 2>"$root/err" &
pid=$!

wait_for_windows "$pid" || fail "no window appeared"
sleep 0.5
windows=$(titled_windows "$pid")
[ "$(echo "$windows" | wc -l)" -eq 1 ] || fail "expected one message, saw windows: $windows"
title=$(xdotool getwindowname "$windows")
[ "$title" = "Pelagrin GIF Animator" ] || fail "unexpected window title '$title'"
grep -q "application.ico" "$root/out" && fail "the main window was initialised without its resources"

xdotool windowfocus --sync "$windows" 2>/dev/null
xdotool key --clearmodifiers Return
wait_for_exit "$pid" 10 || fail "the program did not end after the message"
[ "$exit_status" -ne 0 ] || fail "the program ended with success"
echo "missing Themes: one message, exit status $exit_status"

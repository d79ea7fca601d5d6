#!/bin/bash
# A fatal signal in the running program leaves a zipped report with its
# timestamp, says where it is and opens that folder. Each signal gets its own
# temporary home and temporary folder, so no report survives the test.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
# visible_windows PID: the main window, titled with the product name.
visible_windows() { xdotool search --all --onlyvisible --pid "$1" --name '^Pelagrin GIF Animator$' 2>/dev/null || true; }
wait_for_windows() {
  local i
  for i in $(seq 150); do
    [ -n "$(visible_windows "$1")" ] && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# wait_for_exit PID SECONDS
wait_for_exit() {
  local i
  for i in $(seq $(( $2 * 10 ))); do
    kill -0 "$1" 2>/dev/null || { wait "$1"; return 0; }
    sleep 0.1
  done
  return 1
}
exe=${1:?executable}
root=$(mktemp -d); pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$root"' EXIT

# message_window PID: the process's visible window other than the main one.
message_window() {
  local main w
  main=$(visible_windows "$1")
  for w in $(xdotool search --all --onlyvisible --pid "$1" '' 2>/dev/null); do
    [ "$w" = "$main" ] || { echo "$w"; return 0; }
  done
  return 1
}

for signal in SEGV ABRT; do
  run="$root/$signal"
  mkdir -p "$run/home" "$run/tmp" "$run/bin"
  # The desktop opener stands in for the file manager and records what it got.
  printf '#!/bin/sh\nprintf "%%s" "$1" > "%s/opened"\n' "$run" > "$run/bin/xdg-open"
  chmod +x "$run/bin/xdg-open"
  HOME="$run/home" TMPDIR="$run/tmp" PATH="$run/bin:$PATH" "$exe" >"$run/out" 2>"$run/err" &
  pid=$!
  wait_for_windows "$pid" || fail "$signal: the main window did not appear: $(cat "$run/err")"
  before=$(date +%s)
  kill -"$signal" "$pid"
  for i in $(seq 300); do message=$(message_window "$pid") && break; sleep 0.1; done
  [ -n "$message" ] || fail "$signal: no message appeared"
  after=$(date +%s)
  xdotool windowfocus --sync "$message" 2>/dev/null
  xdotool key --clearmodifiers Return
  wait_for_exit "$pid" 20 || fail "$signal: the program did not end after the message"
  pid=

  # The opener runs on its own and may finish after the program has ended.
  for i in $(seq 100); do [ -s "$run/opened" ] && break; sleep 0.1; done
  folder=$(cat "$run/opened" 2>/dev/null) || fail "$signal: no folder was opened"
  folder=${folder%/}
  [ "$(dirname "$folder")" = "$run/tmp" ] || fail "$signal: opened '$folder', not a report folder"
  [ "$(ls "$run/tmp" | wc -l)" -eq 1 ] || fail "$signal: more than one report: $(ls "$run/tmp")"
  zips=("$folder"/*.zip)
  [ -f "${zips[0]}" ] || fail "$signal: no archive in $folder"
  stamp=$(unzip -p "${zips[0]}" timestamp.my) || fail "$signal: the archive lacks timestamp.my"
  [[ "$stamp" =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}\ [0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] || fail "$signal: timestamp '$stamp'"
  seconds=$(date -d "$stamp" +%s)
  [ "$seconds" -ge "$before" ] && [ "$seconds" -le "$after" ] || fail "$signal: '$stamp' is not the local time of the crash"
  echo "$signal: $(basename "${zips[0]}") holds timestamp $stamp"
done

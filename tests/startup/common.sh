# Helpers for the start-up checks of the real executable under an X display.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }

# visible_windows PID: the visible windows of a process titled with the product
# name (its main window or one of its messages).
visible_windows() { xdotool search --all --onlyvisible --pid "$1" --name '^Pelagrin GIF Animator$' 2>/dev/null || true; }

# titled_windows PID: every visible window of a process that has a title.
titled_windows() { xdotool search --all --onlyvisible --pid "$1" --name '.' 2>/dev/null || true; }

# wait_for_windows PID: waits until the process shows a window.
wait_for_windows() {
  local pid=$1 i
  for i in $(seq 150); do
    [ -n "$(visible_windows "$pid")" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# wait_for_exit PID SECONDS: waits for the process to end; its status in $exit_status.
wait_for_exit() {
  local pid=$1 i
  for i in $(seq $(( $2 * 10 ))); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; exit_status=$?; return 0; }
    sleep 0.1
  done
  return 1
}

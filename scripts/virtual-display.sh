# Sourced by the test scripts: when no DISPLAY is set, starts a virtual X
# display (Xvfb) and stops it on exit. Xvfb picks the display number itself
# (-displayfd), so that two suites starting at once never share one server
# and have it stopped under them by the other. The arguments, a range of
# display numbers that older callers pass, are no longer needed.
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  xvfb_number=$(mktemp)
  # -noreset: by default the server resets when its last client leaves and
  # refuses the next one meanwhile, as between two programs a test starts.
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$xvfb_number" >/dev/null 2>&1 &
  xvfb_pid=$!
  # Written once the server accepts connections.
  for _ in $(seq 100); do [ -s "$xvfb_number" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$xvfb_number")"
  rm -f "$xvfb_number"
fi
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT

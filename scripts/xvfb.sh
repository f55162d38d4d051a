# Sourced: start a private Xvfb when there is no display, and stop only that one.
orvane_start_display() {
  ORVANE_XVFB_PID=""
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local fdfile
  fdfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  ORVANE_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ]; then break; fi
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fdfile" | tr -d '[:space:]')"
  rm -f "$fdfile"
  echo "Xvfb started on $DISPLAY (pid $ORVANE_XVFB_PID)"
}
orvane_stop_display() {
  if [ -n "${ORVANE_XVFB_PID:-}" ]; then
    kill "$ORVANE_XVFB_PID" 2>/dev/null || true
    wait "$ORVANE_XVFB_PID" 2>/dev/null || true
    ORVANE_XVFB_PID=""
  fi
}

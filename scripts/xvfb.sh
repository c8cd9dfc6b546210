# Sourced by the run and test scripts: gives GL programs a display on machines without one.

start_private_xvfb_if_needed() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local number
  for number in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp +extension GLX >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
    local tries
    for tries in $(seq 50); do
      if DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$number"
        echo "(no display: using a private Xvfb on $DISPLAY)"
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "xvfb: could not start a private Xvfb" >&2
  return 1
}

# Sourced by the test script: a private headless weston with Xwayland, the X server of a
# Wayland desktop, for the tests that run the demo there. Started and stopped by its PID.

weston_pid=""
weston_dir=""

stop_private_weston() {
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null || true
    wait "$weston_pid" 2>/dev/null || true
  fi
  [ -z "$weston_dir" ] || rm -rf "$weston_dir"
}

# Exports SOLVANE_TEST_XWAYLAND_DISPLAY, the X display weston announces; tests skip without it.
start_private_weston() {
  weston_dir=$(mktemp -d /tmp/solvane-weston-XXXXXX)
  XDG_RUNTIME_DIR=$weston_dir weston --backend=headless-backend.so --xwayland \
    --socket=solvane-test --width=1280 --height=720 --idle-time=0 \
    --log="$weston_dir/weston.log" >/dev/null 2>&1 &
  weston_pid=$!
  local tries display
  for tries in $(seq 100); do
    display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' \
      "$weston_dir/weston.log" 2>/dev/null)
    if [ -n "$display" ]; then
      export SOLVANE_TEST_XWAYLAND_DISPLAY=$display
      echo "(Xwayland tests: a private weston on $display)"
      return 0
    fi
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "(Xwayland tests: weston did not start; they skip)"
}

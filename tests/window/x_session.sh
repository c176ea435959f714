# Shared by the window tests that run the real program in a virtual X server: sourced,
# not run. Gives a private work folder, processes that end with the test, a virtual X
# server, and the program's windows.

source "$(dirname "${BASH_SOURCE[0]}")/../support/shell_helpers.sh"

work=$(mktemp -d)
chmod 700 "$work"
started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  local log
  for log in "$work"/*.log; do
    [ -s "$log" ] && sed "s/^/  $(basename "$log" .log): /" "$log"
  done
  exit 1
}

# A private session: no settings or runtime files of the user, the X11 platform.
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config HOME=$work
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

start_xvfb() {  # WIDTHxHEIGHT
  rm -f "$work/display"
  Xvfb -displayfd 5 -screen 0 "$1x24" -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
  started+=($!)
  xvfb_pid=$!
  poll 10 test -s "$work/display" || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$work/display")"
}

# The mapped windows of a process, one id a line; the property window among them.
visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null; }
property_window() { xdotool search --all --onlyvisible --pid "$1" --name '^Corvane Propaties$' 2>/dev/null; }
no_property_window() { ! property_window "$1" >/dev/null; }
ended() { ! kill -0 "$1" 2>/dev/null; }

# Waits for a process to end and checks its exit status.
expect_end() {  # PID STATUS WHAT
  poll 10 ended "$1" || fail "$3: the program did not end"
  local status=0
  wait "$1" || status=$?
  [ "$status" -eq "$2" ] || fail "$3: the program ended with status $status"
}

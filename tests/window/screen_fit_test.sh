#!/usr/bin/env bash
# The real program's window on screens of several sizes, with a tray host and no window
# manager: wholly on screens too small for the position 749, 463, and at 749, 463 where
# it fits.
#
# Usage: screen_fit_test.sh PROGRAM TRAY_PROBE
# Exit status 77 (skipped) only where the tools are missing, and never in CI.
set -uo pipefail
program=$1
probe=$2
here=$(dirname "$0")

source "$here/x_session.sh"
require Xvfb trayer xdotool
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus

for screen in 1024x768 1280x800 1920x1080; do
  start_xvfb "$screen"
  trayer --edge top --align right --widthtype request --height 24 --transparent false \
    >"$work/trayer.log" 2>&1 &
  tray=$!
  started+=("$tray")
  poll 10 "$probe" 2>/dev/null || fail "$screen: the tray host did not take the tray"
  "$program" >"$work/corvane.log" 2>&1 &
  pid=$!
  started+=("$pid")
  poll 10 visible_windows "$pid" >/dev/null || fail "$screen: no tray icon appeared"
  "$program" >"$work/second.log" 2>&1 || fail "$screen: the second start failed"
  poll 5 property_window "$pid" >/dev/null || fail "$screen: the window did not show"
  eval "$(xdotool getwindowgeometry --shell "$(property_window "$pid")")"
  echo "$screen: window at $X, $Y, $WIDTH × $HEIGHT"
  width=${screen%x*}
  height=${screen#*x}
  [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$width" ] && [ $((Y + HEIGHT)) -le "$height" ] ||
    fail "$screen: the window is not wholly on the screen"
  if [ "$screen" = 1920x1080 ]; then
    [ "$X,$Y" = "749,463" ] || fail "$screen: the window is not at 749, 463"
  fi
  kill -TERM "$pid"
  expect_end "$pid" 0 "$screen: SIGTERM"
  kill "$tray" "$xvfb_pid"
  wait "$tray" "$xvfb_pid" 2>/dev/null
done
echo "PASS"

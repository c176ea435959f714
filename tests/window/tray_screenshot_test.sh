#!/usr/bin/env bash
# Runs the real tray program in a virtual X server with a tray host: the icon appears,
# left clicks open nothing, a second start shows the running program's window, the tray
# menu's "Property" opens the window (captured to PNG), "Exit" ends the program, and so
# does SIGTERM.
# Prints the time from start to tray icon and the resident memory once idle.
#
# Usage: tray_screenshot_test.sh PROGRAM TRAY_PROBE SCREENSHOT_DIR
# Exit status 77 (skipped) only where Xvfb, trayer, xdotool or ImageMagick are missing,
# and never in CI.
set -uo pipefail

program=$1
probe=$2
shots=$3

source "$(dirname "$0")/x_session.sh"
require Xvfb trayer xdotool xwininfo import identify convert

# No desktop bus: Qt then embeds the icon the X11 way.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus
start_xvfb 1280x1024

trayer --edge top --align right --widthtype request --height 24 --transparent false \
  >"$work/trayer.log" 2>&1 &
started+=($!)
poll 10 "$probe" 2>/dev/null || fail "the tray host did not take the tray"

begin=$(now_ms)
"$program" >"$work/corvane.log" 2>&1 &
pid=$!
started+=("$pid")
poll 10 visible_windows "$pid" >/dev/null || fail "no tray icon appeared"
echo "tray icon after $(($(now_ms) - begin)) ms"
icon=$(visible_windows "$pid")
[ "$(echo "$icon" | wc -l)" -eq 1 ] || fail "more than the tray icon is visible at start"
sleep 1
echo "resident memory once idle: $(awk '/VmRSS/ {printf "%.1f MB", $2 / 1024}' "/proc/$pid/status")"

# Left clicks and double clicks open nothing.
xdotool mousemove --window "$icon" 11 11 click 1
xdotool mousemove --window "$icon" 11 11 click --repeat 2 --delay 80 1
sleep 0.5
if [ "$(visible_windows "$pid")" != "$icon" ]; then
  for w in $(visible_windows "$pid"); do xprop -id "$w" WM_NAME _NET_WM_WINDOW_TYPE; done
  fail "a left click opened something"
fi

window_shown() { property_window "$pid"; }

# A second start shows the running program's window and ends at once.
"$program" >"$work/second.log" 2>&1 || fail "the second start ended with status $?"
poll 5 window_shown >/dev/null || fail "the second start did not show the window"
# Escape presses Cancel, which hides the window.
xdotool windowfocus --sync "$(window_shown)"
xdotool key Escape
poll 5 no_property_window "$pid" || fail "Escape did not hide the window"

# Opens the tray menu with a right click and clicks the item at `fraction` of its height.
choose() {
  local fraction=$1 menu
  xdotool mousemove --window "$icon" 11 11 click 3
  menu_open() { visible_windows "$pid" | grep -vx "$icon" | grep -vx "$(window_shown)"; }
  poll 5 menu_open >/dev/null || fail "a right click opened no menu"
  menu=$(menu_open | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  xdotool mousemove --window "$menu" $((WIDTH / 2)) $((HEIGHT * fraction / 100)) click 1
}

choose 25  # "Property", the first item
poll 5 window_shown >/dev/null || fail "\"Property\" did not show the window"
window=$(window_shown)
sleep 0.5
mkdir -p "$shots"
import -window "$window" "$shots/property.png" || fail "could not capture the window"
size=$(identify -format '%wx%h' "$shots/property.png")
[ "$size" = "472x420" ] || fail "the window is $size, not 472x420"
colours=$(convert "$shots/property.png" -format '%k' info:)
[ "$colours" -ge 16 ] || fail "the window looks blank ($colours colours)"
echo "window captured to $shots/property.png ($size, $colours colours)"

choose 75  # "Exit", the last item
expect_end "$pid" 0 "\"Exit\""
xwininfo -id "$icon" >/dev/null 2>&1 && fail "the tray icon is still there"

# SIGTERM (a session ending) ends the program as "Exit" does.
"$program" >"$work/corvane.log" 2>&1 &
pid=$!
started+=("$pid")
poll 10 visible_windows "$pid" >/dev/null || fail "no tray icon appeared after a restart"
icon=$(visible_windows "$pid")
kill -TERM "$pid"
expect_end "$pid" 0 SIGTERM
xwininfo -id "$icon" >/dev/null 2>&1 && fail "the tray icon is still there after SIGTERM"
echo "PASS"

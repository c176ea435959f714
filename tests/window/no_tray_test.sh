#!/usr/bin/env bash
# The real program on a desktop without a tray: a virtual X server with a window manager
# (openbox) and no tray host, nor a D-Bus tray. The window shows at start with one line
# on standard error; closing it through the window manager ends the program with status
# 0. A tray that appears later takes the icon, and closing the window only hides it.
#
# Usage: no_tray_test.sh PROGRAM TRAY_PROBE
# Exit status 77 (skipped) only where the tools are missing, and never in CI.
set -uo pipefail
program=$1
probe=$2
here=$(dirname "$0")

source "$here/x_session.sh"
require Xvfb openbox wmctrl xdotool trayer xwininfo xprop
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus

# A laptop screen: the framed window fits only above the designed position.
start_xvfb 1280x800
openbox --sm-disable >"$work/openbox.log" 2>&1 &
started+=($!)
poll 10 wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"

"$program" >"$work/corvane.log" 2>&1 &
pid=$!
started+=("$pid")
poll 10 property_window "$pid" >/dev/null || fail "no window at start without a tray"
lines=$(grep -c "no tray icons" "$work/corvane.log")
[ "$lines" -eq 1 ] || fail "$lines lines about the missing tray"
grep -q "gnome-shell-extension-appindicator" "$work/corvane.log" || fail "the line says not what to install"

# The window and the window manager's frame around it lie wholly on the screen.
window=$(property_window "$pid")
frame_on_screen() {
  local x y extents left right top bottom
  x=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print $NF}')
  y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ {print $NF}')
  extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')
  [ -n "$extents" ] || return 1
  IFS=, read -r left right top bottom <<<"$extents"
  [ $((x - left)) -ge 0 ] && [ $((y - top)) -ge 0 ] &&
    [ $((x + 472 + right)) -le 1280 ] && [ $((y + 420 + bottom)) -le 800 ]
}
poll 5 frame_on_screen || fail "the framed window is not wholly on the 1280×800 screen"
wmctrl -c 'Corvane Propaties' || fail "wmctrl found no window to close"
expect_end "$pid" 0 "closing the window without a tray"
[ ! -e "$work/config/corvane/registry.reg" ] || fail "closing stored the settings"

# A tray that appears while the program runs takes the icon; the window then only hides.
"$program" >"$work/corvane.log" 2>&1 &
pid=$!
started+=("$pid")
poll 10 property_window "$pid" >/dev/null || fail "no window at the second start without a tray"
trayer --edge top --align right --widthtype request --height 24 --transparent false \
  >"$work/trayer.log" 2>&1 &
started+=($!)
poll 10 "$probe" 2>/dev/null || fail "the tray host did not take the tray"
icon_and_window() { [ "$(visible_windows "$pid" | wc -l)" -eq 2 ]; }
poll 10 icon_and_window || fail "the icon did not appear in the tray that came later"
wmctrl -c 'Corvane Propaties' || fail "wmctrl found no window to close"
poll 5 no_property_window "$pid" || fail "closing did not hide the window"
sleep 0.5
ended "$pid" && fail "closing the window ended the program although a tray shows its icon"
kill -TERM "$pid"
expect_end "$pid" 0 "SIGTERM"
echo "PASS"

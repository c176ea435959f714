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

skip() {
  echo "SKIP: $*"
  if [ "${CI:-}" = "true" ]; then
    echo "FAIL: CI must run this test (install the packages in scripts/deps)"
    exit 1
  fi
  exit 77
}
for tool in Xvfb trayer xdotool xwininfo import identify convert; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done

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
  if [ -s "$work/corvane.log" ]; then sed 's/^/  corvane: /' "$work/corvane.log"; fi
  exit 1
}

# Runs a command every 20 ms until it succeeds or `seconds` have passed.
poll() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.02
  done
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# The program's windows that are mapped, one id a line.
visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null; }

# A private session: no desktop bus (Qt then embeds the icon the X11 way), no settings
# or runtime files of the user.
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config HOME=$work
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
started+=($!)
poll 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"

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

window_shown() { xdotool search --all --onlyvisible --pid "$pid" --name '^Corvane Propaties$' 2>/dev/null; }

# A second start shows the running program's window and ends at once.
"$program" >"$work/second.log" 2>&1 || fail "the second start ended with status $?"
poll 5 window_shown >/dev/null || fail "the second start did not show the window"
# Escape presses Cancel, which hides the window.
xdotool windowfocus --sync "$(window_shown)"
xdotool key Escape
poll 5 bash -c "! xdotool search --all --onlyvisible --pid $pid --name '^Corvane Propaties\$' >/dev/null" ||
  fail "Escape did not hide the window"

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
poll 5 bash -c "! kill -0 $pid 2>/dev/null" || fail "\"Exit\" did not end the program"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
xwininfo -id "$icon" >/dev/null 2>&1 && fail "the tray icon is still there"

# SIGTERM (a session ending) ends the program as "Exit" does.
"$program" >"$work/corvane.log" 2>&1 &
pid=$!
started+=("$pid")
poll 10 visible_windows "$pid" >/dev/null || fail "no tray icon appeared after a restart"
icon=$(visible_windows "$pid")
kill -TERM "$pid"
poll 5 bash -c "! kill -0 $pid 2>/dev/null" || fail "SIGTERM did not end the program"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "after SIGTERM the program ended with status $status"
xwininfo -id "$icon" >/dev/null 2>&1 && fail "the tray icon is still there after SIGTERM"
echo "PASS"

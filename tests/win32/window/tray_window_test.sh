#!/usr/bin/env bash
# Runs corvane.exe under Wine in a virtual X server, where Wine draws its own "Wine System
# Tray" window with the program's icon in it.
#
# On a 1024 × 768 screen, with "InputDevice" stored as text: the error box names the value,
# loading stops before the volume, no tray icon is added, and the window, shown, lies wholly
# on the screen. Then, on a 1280 × 1024 screen from a first run: the tray icon appears, left
# clicks open nothing, a right click opens the menu, "Property" shows the 472 × 420 window at
# 749, 463 (captured to PNG) with every control as the layout table has it, "Apply(&A)" stores the six values under HKLM, Enter presses the
# focused push button and elsewhere OK, Escape presses Cancel, Alt+A presses "Apply(&A)",
# "Cancel" with "InputMode" stored as text names it in the error box and loads nothing after
# it, the close box only hides the window, and "Exit" ends the program with status 0 and
# takes the icon away. Last, with "Automatically start input" stored, the program records a
# PCM1024 signal from a PulseAudio null sink through its window's buffer messages, and the
# TX page's bars show the positions sent.
#
# Usage: tray_window_test.sh CORVANE_EXE WINDOW_PROBE_EXE SIGGEN_EXE SCREENSHOT_DIR
# Runs in the prefix $WINEPREFIX. Wine's desktop belongs to the display its server was started
# with, so the test starts the prefix's server anew for each screen, and leaves a persistent
# server without a display behind it, as the other tests expect. Exit status 77 (skipped)
# only where Xvfb, xdotool or ImageMagick are missing, and never in CI.
set -uo pipefail

program=$1
probe_exe=$2
siggen_exe=$3
shots=$4
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

source "$(dirname "$0")/../../support/shell_helpers.sh"
require Xvfb xdotool import identify convert wine wineserver pulseaudio pactl paplay

key='HKLM\SYSTEM\CurrentControlSet\Control\MediaProperties\PrivateProperties\Joystick\OEM\Corvane'
work="$(dirname "$shots")/tray-window-test"
rm -rf "$work"
mkdir -p "$work" "$shots"
sound_dir=$work/sound
xvfb=""
pid=""
player=""

end_wine() {
  wineserver -k >>"$work/wine.log" 2>&1 </dev/null
  wineserver -w >>"$work/wine.log" 2>&1 </dev/null
}
end_display() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  xvfb=""
}
cleanup() {
  [ -n "$player" ] && kill "$player" 2>/dev/null
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  end_wine
  end_display
  stop_sound_server
  forget_key
  # The persistent server the other tests of the session run in, without a display.
  (unset DISPLAY; wineserver -p >>"$work/wine.log" 2>&1 </dev/null)
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  if [ -n "$pid" ]; then
    kill -0 "$pid" 2>/dev/null && echo "  corvane.exe is running" || echo "  corvane.exe has ended"
  fi
  echo "  windows shown: $(xdotool search --onlyvisible --name '' getwindowname %@ 2>/dev/null | tr '\n' '|')"
  for log in corvane.log probe.err; do
    [ -s "$work/$log" ] && grep -v '^ALSA lib' "$work/$log" | sed "s/^/  $log: /"
  done
  exit 1
}

# Wine programs write to files, never to a pipe: a service that the first Wine program of a
# session starts inherits its output and would hold the pipe open.
ask() {
  wine "$probe_exe" "$@" >"$work/answer" 2>>"$work/probe.err" </dev/null
  local status=$?
  tr -d '\r' <"$work/answer"  # Windows ends its lines with CR LF
  return $status
}
store() {
  wine reg add "$key" /v "$1" /t "$2" /d "$3" /f >>"$work/wine.log" 2>&1 </dev/null ||
    fail "could not store $1"
}
forget_key() { wine reg delete "$key" /f >>"$work/wine.log" 2>&1 </dev/null; }
# The stored values, one "NAME TYPE DATA" a line (reg prints CR LF line ends).
stored() {
  wine reg query "$key" >"$work/stored" 2>&1 </dev/null
  tr -d '\r' <"$work/stored" | awk 'NF == 3 { print $1, $2, $3 }'
}

# A Wine session on a new virtual screen WIDTHxHEIGHT.
start_screen() {
  end_wine
  end_display
  Xvfb -displayfd 5 -screen 0 "$1x24" -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  poll 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
  : >"$work/display"
  wineserver -p >>"$work/wine.log" 2>&1 </dev/null
  wineboot >>"$work/wine.log" 2>&1 </dev/null || fail "wineboot failed"
}

start_program() {
  wine "$program" >"$work/corvane.log" 2>&1 </dev/null &
  pid=$!
}

# Waits for the program to end and checks its status.
expect_end() {
  poll 10 bash -c "! kill -0 $pid 2>/dev/null" || fail "$1 did not end the program"
  wait "$pid"
  local status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "after $1 the program ended with status $status"
}

expect_error() {
  local text
  text=$(ask error 20) || fail "no error box for $1"
  [ "$text" = "'$1' のデータ型が不正です" ] || fail "the error box says \"$text\""
}

# The value of NAME in the probe's state.
state_of() { ask state | awk -v name="$1" '$1 == name { $1 = ""; sub(/^ /, ""); print }'; }
expect_state() {
  local value
  value=$(state_of "$1")
  [ "$value" = "$2" ] || fail "$1 is \"$value\", not \"$2\" ($3)"
}

tray_window() { xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -n 1; }
tray_shown() { [ -n "$(tray_window)" ]; }
tray_gone() { [ -z "$(tray_window)" ]; }
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
form_visible() { ask wait "Corvane Propaties" 0 >/dev/null; }
form_hidden() { ! form_visible; }
start_caption_is() { [ "$(state_of ButtonStart)" = "$1" ]; }

# Control identifiers (app/win32/control_ids.h).
button_cancel=2
button_apply=1001
slider=1102
paint_box=1103
button_start=1104
mode_list=1106
map_box1=1115
check_m1=1123
menu_property=2001
menu_exit=2002

# The tray menu: a small window without a title that was not there before (a tooltip is
# lower, the property window has its title).
menu_window() {
  local w
  for w in $(comm -13 <(echo "$before") <(visible_windows)); do
    [ -z "$(xdotool getwindowname "$w" 2>/dev/null)" ] || continue
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if [ "$HEIGHT" -ge 30 ] && [ "$HEIGHT" -lt 100 ]; then
      echo "$w"
      return 0
    fi
  done
  return 1
}

# Opens the tray menu with a right click, clicks the item at `percent` of its height, and
# waits until `done` holds; three tries. (Under Wine a menu opened while the property
# window is shown often closes again at once, as the tray window and ours trade the focus;
# the test opens the menu with the window hidden.)
choose_item() {
  local percent=$1 done=$2 tries menu
  for tries in 1 2 3; do
    xdotool mousemove "$icon_x" "$icon_y" click 3
    if poll 2 menu_window >/dev/null && menu=$(menu_window); then
      eval "$(xdotool getwindowgeometry --shell "$menu")"
      xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT * percent / 100)) click 1
      poll 5 "$done" && return 0
    fi
    echo "the menu closed before its item was chosen (try $tries)"
  done
  fail "a right click opened no menu, or its item did nothing"
}

click_control() {
  local x y
  read -r x y < <(ask where "$1") || fail "no control $1"
  xdotool mousemove "$x" "$y" click 1
}

echo "== 1024x768, \"InputDevice\" stored as text"
start_screen 1024x768
forget_key
store InputDevice REG_SZ bad
start_program
expect_error InputDevice
expect_state SliderVolume 32768 "loading stops before the volume"
expect_state ComboBoxPort "-1 of 0" "loading stops before the port list"
ask menu "$menu_property" >/dev/null
poll 10 form_visible || fail "\"Property\" did not show the window"
tray_gone || fail "the tray icon was added after the error"
read -r left top width height client_width client_height < <(ask frame)
[ "$client_width x $client_height" = "472 x 420" ] ||
  fail "the client area is $client_width x $client_height"
[ "$left $top" = "$((1024 - width)) $((768 - height))" ] ||
  fail "the window at $left, $top ($width x $height) is not moved just onto the screen"
echo "window moved onto the small screen: $left, $top"
ask menu "$menu_exit" >/dev/null
expect_end "\"Exit\" after the error"

echo "== 1280x1024, first run"
start_screen 1280x1024
forget_key
begin=$(now_ms)
start_program
poll 30 tray_shown || fail "no tray icon appeared"
echo "tray icon after $(($(now_ms) - begin)) ms"
eval "$(xdotool getwindowgeometry --shell "$(tray_window)")"
# The first icon's cell is at the left end, below the tray window's caption.
icon_x=$((X + 12))
icon_y=$((Y + HEIGHT - 12))
before=$(visible_windows)

xdotool mousemove "$icon_x" "$icon_y" click 1
xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 80 1
sleep 0.5
# Neither the window nor the menu came (the icon's tooltip may have).
! form_visible && ! menu_window >/dev/null || fail "a left click opened something"

choose_item 25 form_visible  # "Property", the first item
read -r left top width height client_width client_height < <(ask frame)
[ "$client_width x $client_height" = "472 x 420" ] ||
  fail "the client area is $client_width x $client_height"
[ "$left $top" = "749 463" ] || fail "the window is at $left, $top, not 749, 463"
sleep 0.3  # the first paint
import -window root -crop "${width}x${height}+$left+$top" "$shots/windows-property.png" ||
  fail "could not capture the window"
colours=$(convert "$shots/windows-property.png" -format '%k' info:)
[ "$colours" -ge 16 ] || fail "the window looks blank ($colours colours)"
echo "window captured to $shots/windows-property.png (${width}x$height, $colours colours)"
# The monitor of a cleared sample copy: black, with the green trace on its middle row.
pixel() { convert "$shots/windows-property.png" -format "%[hex:p{$(($1 - left)),$(($2 - top))}]" info:; }
read -r monitor_x monitor_y < <(ask where "$paint_box")
[ "$(pixel "$monitor_x" "$monitor_y")" = 00FF00 ] || fail "no green trace in the monitor's middle row"
[ "$(pixel "$monitor_x" $((monitor_y - 10)))" = 000000 ] || fail "the monitor is not black"
# Every control where the layout table puts it, with its text.
laid_out=$(ask layout) || fail "the window differs from its layout: $laid_out"
echo "layout: $laid_out"

# First run: the defaults.
expect_state ComboBoxMode "0 of 2" "first run"
expect_state MapBox1 "0 of 8" "first run"
expect_state MapBox8 "7 of 8" "first run"
expect_state SliderVolume 0 "first run"
expect_state CheckBoxAutoStart 0 "first run"
expect_state ButtonStart Start "first run"

# "Apply(&A)" stores what the controls show, and the window stays.
ask choose "$mode_list" 1 >/dev/null
ask slide "$slider" 12288 >/dev/null
ask choose "$map_box1" 7 >/dev/null
ask click "$check_m1" >/dev/null
click_control "$button_apply"
mapping_stored() { stored | grep -q '^Mapping '; }
poll 5 mapping_stored || fail "\"Apply(&A)\" stored nothing"
form_visible || fail "\"Apply(&A)\" hid the window"
device=$(state_of ComboBoxDevice | cut -d' ' -f1)
port=$(state_of ComboBoxPort | cut -d' ' -f1)
dword() { printf '0x%x' $(($1 & 0xFFFFFFFF)); }
values=$(stored)
for expected in "InputDevice REG_DWORD $(dword "$device")" "InputPort REG_DWORD $(dword "$port")" \
  "InputVolume REG_DWORD 0x3000" "InputAutoStart REG_DWORD 0x0" "InputMode REG_DWORD 0x1" \
  "Mapping REG_BINARY 07010203040506070100"; do
  grep -qx "$expected" <<<"$values" || fail "not stored: $expected; the key holds: $values"
done
echo "\"Apply(&A)\" stored the six values"

# Enter on a push button presses it; elsewhere it presses OK. Escape presses Cancel.
ask focus "$button_start" >/dev/null
xdotool key Return
poll 5 start_caption_is Stop || fail "Enter on \"Start\" did not press it"
# While input runs, the 10 ms timer shows the channel table on the bars: 512 before a frame.
bar_shows_centre() { [ "$(state_of ProgressBars)" = "512 512 512 512 512 512 512 512" ]; }
poll 5 bar_shows_centre || fail "the bars do not follow the channel table while input runs"
xdotool key Return
poll 5 start_caption_is Start || fail "Enter on \"Stop\" did not press it"
ask choose "$mode_list" 0 >/dev/null
ask focus "$slider" >/dev/null
xdotool key Return
poll 5 form_hidden || fail "Enter on the slider did not press OK"
grep -qx "InputMode REG_DWORD 0x0" <<<"$(stored)" || fail "Enter did not store the settings"
# Cancel throws the change away: the stored mode stays, and the list shows it again.
show_and_change_mode() {
  ask menu "$menu_property" >/dev/null
  poll 5 form_visible || fail "\"Property\" did not show the window again"
  ask choose "$mode_list" 1 >/dev/null
}
expect_cancelled() {
  poll 5 form_hidden || fail "$1 did not press Cancel"
  grep -qx "InputMode REG_DWORD 0x0" <<<"$(stored)" || fail "$1 stored the settings"
  expect_state ComboBoxMode "0 of 2" "Cancel reloads the stored mode"
}
show_and_change_mode
ask focus "$button_cancel" >/dev/null
xdotool key Return
expect_cancelled "Enter on \"Cancel\""
show_and_change_mode
ask focus "$slider" >/dev/null
xdotool key Escape
expect_cancelled "Escape"
# Alt+A presses "Apply(&A)": the change is stored and the window stays.
show_and_change_mode
xdotool key alt+a
mode_applied() { grep -qx "InputMode REG_DWORD 0x1" <<<"$(stored)"; }
poll 5 mode_applied || fail "Alt+A did not press \"Apply(&A)\""
form_visible || fail "Alt+A hid the window"
echo "Enter, Escape and Alt+A pressed the buttons they should"

# A value of the wrong type stops the loading there: what comes before it is loaded, nothing
# after it, and "Cancel" leaves the window open.
ask menu "$menu_property" >/dev/null
poll 5 form_visible || fail "\"Property\" did not show the window again"
store InputVolume REG_DWORD 8192
store InputMode REG_SZ x  # short: longer data than 4 bytes fails as a failed read
store Mapping REG_BINARY 00000000000000000000
ask choose "$mode_list" 1 >/dev/null
click_control "$button_cancel"
expect_error InputMode
expect_state SliderVolume 8192 "the volume comes before the mode"
expect_state ComboBoxMode "1 of 2" "nothing after the mode is loaded"
expect_state MapBox1 "7 of 8" "nothing after the mode is loaded"
expect_state Visible 1 "Cancel closes nothing after an error"
echo "\"InputMode\" stored as text stopped the loading there"

# The close box only hides the window; the icon stays.
ask close >/dev/null
poll 5 form_hidden || fail "the close box did not hide the window"
tray_shown || fail "the close box took the tray icon away"
program_ended() { ! kill -0 "$pid" 2>/dev/null; }
choose_item 75 program_ended  # "Exit", the last item, with the window hidden
expect_end "\"Exit\""
poll 5 tray_gone || fail "the tray icon is still there after \"Exit\""

echo "== Capture from a PulseAudio null sink, started by the stored auto-start"
start_sound_server || fail "the sound server did not start"
use_sound_server
positions="100 200 300 400 600 700 800 900"
wine "$siggen_exe" --raw --format pcm1024 --positions "${positions// /,}" --duration 30 --snr 30 "$work/signal.raw" \
  >>"$work/wine.log" 2>&1 </dev/null || fail "corvane-siggen failed"
"${sink_player[@]}" "$work/signal.raw" &
player=$!
forget_key
store InputAutoStart REG_DWORD 1
start_program
poll 30 tray_shown || fail "no tray icon appeared"
expect_state ButtonStart Stop "the stored auto-start starts input"
bars_show_positions() { [ "$(state_of ProgressBars)" = "$positions" ]; }
poll 20 bars_show_positions ||
  fail "the bars show $(state_of ProgressBars), not the positions sent ($positions)"
echo "the bars show the positions recorded: $positions"
ask menu "$menu_exit" >/dev/null
expect_end "\"Exit\" while input runs"
echo "PASS"

#!/usr/bin/env bash
# The Corvane joystick drivers installed for real into the Wine prefix $WINEPREFIX, and the
# joystick read as games read it.
#
#   driver_test.sh install PACKAGE_DIR
#       corvane-driver install PACKAGE_DIR, the prefix restarted (a new prefix starts the
#       bus only at its next start), then `status` must say that the bus runs; a driver
#       an earlier run left is removed first
#   driver_test.sh decode PACKAGE_DIR CHECK.exe SIGGEN.exe DECODE.exe pcm1024|spcm WORK_DIR
#       a sweep of the format played into `corvane-decode --joystick` at the recording's
#       pace, while corvane_joystick_check reads the joystick through HID, winmm and
#       DirectInput at once: each must first see the new joystick at rest, then only the
#       reports corvane-decode printed, in order; at the end the joystick is gone
#   driver_test.sh tray PACKAGE_DIR CHECK.exe CORVANE.exe PROBE.exe SIGGEN.exe DECODE.exe WORK_DIR
#       corvane.exe, started with "InputAutoStart" stored, records a PCM1024 signal from a
#       PulseAudio null sink, in a virtual X server: a joystick appears and shows the
#       positions played; "Exit" takes it away; started again and killed, the program
#       leaves no joystick either
#   driver_test.sh remove PACKAGE_DIR
#       corvane-driver remove: no device, no staged INF file, no service, no driver image
#       is left, and `status` says the bus does not run; a driver left by an earlier run
#       is no error
set -uo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

fail() {
  echo "FAIL: $*"
  exit 1
}

# Wine programs write to files: a service that the first Wine program of a session
# starts inherits its output and would hold a pipe open.
tool() {
  wine "$package/corvane-driver.exe" "$@" >"$WINEPREFIX.driver.out" 2>&1 </dev/null
  local status=$?
  tr -d '\r' <"$WINEPREFIX.driver.out"
  return $status
}

# The persistent server the other tests expect, started anew; its output, and that of the
# services the next Wine program starts, goes to a file, not to ctest's pipe.
restart_prefix() {
  wineserver -k >>"$WINEPREFIX.log" 2>&1 </dev/null
  wineserver -w >>"$WINEPREFIX.log" 2>&1 </dev/null
  wineserver -p >>"$WINEPREFIX.log" 2>&1 </dev/null
}

install() {
  # A driver left by an earlier run is taken out first; a loaded driver image is only
  # replaced once the prefix has restarted.
  if ! tool status | grep -qx "bus device: none"; then
    tool remove >/dev/null || fail "corvane-driver remove (of an earlier run's driver) failed"
    restart_prefix
  fi
  tool install "$(winepath -w "$package")" || fail "corvane-driver install failed"
  restart_prefix
  tool status | grep -qx 'bus device: .*, running' || fail "the bus does not run after the restart"
  echo "PASS"
}

remove() {
  tool remove || fail "corvane-driver remove failed"
  local status
  status=$(tool status) && fail "status says the bus runs after remove"
  for line in "bus driver package: not staged" "joystick driver package: not staged" "bus device: none" \
    "bus driver service CorvaneBus: not installed" "joystick driver service CorvaneHid: not installed" \
    "joysticks: 0"; do
    grep -qxF "$line" <<<"$status" || fail "after remove, status lacks \"$line\": $status"
  done
  local left
  left=$(find "$WINEPREFIX/drive_c/windows/inf" "$WINEPREFIX/drive_c/windows/system32/drivers" -iname 'corvane*')
  [ -z "$left" ] || fail "remove left $left"
  wine reg query 'HKLM\System\CurrentControlSet\Enum\Kestrovan' >/dev/null 2>&1 </dev/null &&
    fail "remove left the joystick's device record"
  echo "PASS"
}

decode() {
  local check=$1 siggen=$2 decoder=$3 format=$4 work=$5
  rm -rf "$work"
  mkdir -p "$work"
  local signal=$work/sweep.raw
  wine "$siggen" --raw --format "$format" --sweep --duration 3 "$signal" >"$work/siggen.log" 2>&1 </dev/null ||
    fail "corvane-siggen failed"
  # What corvane-decode prints for the recording: the reports the joystick must show.
  wine "$decoder" --raw --mode "$format" --json "$signal" >"$work/expected.json" 2>"$work/expected.err" </dev/null ||
    fail "corvane-decode failed: $(cat "$work/expected.err")"

  # No joystick of an earlier test may be taken for this one's.
  wine "$check" gone --timeout 10 >/dev/null 2>"$work/gone.log" </dev/null || fail "$(cat "$work/gone.log")"
  local begin=$SECONDS pids=() via
  for via in hid winmm dinput; do
    wine "$check" read --via "$via" --rests-at-centre --expect "$work/expected.json" --ready "$work/ready-$via" \
      --timeout 60 >"$work/$via.json" 2>"$work/$via.log" </dev/null &
    pids+=($!)
  done
  # The recording goes in 2000 bytes (one buffer) every 20 ms, once every reader has the
  # joystick open and has seen it at rest: corvane-decode exposes it before the first buffer.
  all_ready() { [ -e "$work/ready-hid" ] && [ -e "$work/ready-winmm" ] && [ -e "$work/ready-dinput" ]; }
  play_chunks() {
    local waited=0 size i
    until all_ready || [ $waited -ge 600 ]; do
      sleep 0.1
      waited=$((waited + 1))
    done
    size=$(stat -c %s "$signal")
    exec 3<"$signal"
    for ((i = 0; i * 2000 < size; i++)); do
      head -c 2000 <&3
      sleep 0.02
    done
  }
  play_chunks | wine "$decoder" --raw --mode "$format" --json --joystick - >"$work/decoded.json" 2>"$work/decode.err"
  local decode_status=$? failed=0 i=0
  for via in hid winmm dinput; do
    wait "${pids[$i]}" || failed=1
    i=$((i + 1))
    sed "s/^/  /" "$work/$via.log"
  done
  [ "$decode_status" -eq 0 ] || fail "corvane-decode --joystick ended with status $decode_status: $(cat "$work/decode.err")"
  [ ! -s "$work/decode.err" ] || fail "corvane-decode said: $(cat "$work/decode.err")"
  cmp -s "$work/expected.json" "$work/decoded.json" || fail "corvane-decode printed other reports when played"
  [ "$failed" -eq 0 ] || fail "a reader saw a state that was not sent (its states: $work/VIA.json)"
  wine "$check" gone --timeout 10 >/dev/null 2>"$work/gone.log" </dev/null ||
    fail "$(cat "$work/gone.log")"
  echo "$(wc -l <"$work/expected.json") reports, checked through HID, winmm and DirectInput in $((SECONDS - begin)) s"
  echo "PASS"
}

tray() {
  local check=$1 program=$2 probe=$3 siggen=$4 decoder=$5 work=$6
  source "$(dirname "$0")/../../support/shell_helpers.sh"
  require Xvfb pulseaudio pactl paplay
  rm -rf "$work"
  mkdir -p "$work"
  sound_dir=$work/sound
  xvfb="" player="" pid=""  # for the cleanup, which runs after this function
  key='HKLM\SYSTEM\CurrentControlSet\Control\MediaProperties\PrivateProperties\Joystick\OEM\Corvane'
  cleanup() {
    [ -n "$player" ] && kill "$player" 2>/dev/null
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    wine reg delete "$key" /f >/dev/null 2>&1 </dev/null
    stop_sound_server
    # The persistent server the other tests run in, without a display.
    wineserver -k >>"$WINEPREFIX.log" 2>&1 </dev/null
    wineserver -w >>"$WINEPREFIX.log" 2>&1 </dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    (unset DISPLAY; wineserver -p >>"$WINEPREFIX.log" 2>&1 </dev/null)
  }
  trap cleanup EXIT

  # Wine's desktop belongs to the display its server was started with.
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" >"$work/xvfb.log" 2>&1 </dev/null &
  xvfb=$!
  poll 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
  restart_prefix
  start_sound_server || fail "the sound server did not start"
  use_sound_server

  # Every frame carries the same positions. The first reports still hold channels of
  # frames not yet decoded; from the fourth frame on, each is corvane-decode's last one.
  wine "$siggen" --raw --format pcm1024 --positions 100,200,300,400,600,700,800,900 --duration 60 \
    "$work/signal.raw" >"$work/siggen.log" 2>&1 </dev/null || fail "corvane-siggen failed"
  wine "$decoder" --raw --json "$work/signal.raw" >"$work/expected.json" 2>&1 </dev/null || fail "corvane-decode failed"
  local report
  report=$(tail -n 1 "$work/expected.json" | grep -o '"report": "[0-9a-f]*"' | cut -d'"' -f4)
  "${sink_player[@]}" "$work/signal.raw" >"$work/player.log" 2>&1 </dev/null &
  player=$!
  wine reg add "$key" /v InputAutoStart /t REG_DWORD /d 1 /f >/dev/null 2>&1 </dev/null || fail "could not store InputAutoStart"

  local begin=$SECONDS
  wine "$program" >"$work/corvane.log" 2>&1 </dev/null &
  pid=$!
  wine "$check" read --via hid --states 20 --timeout 40 >"$work/hid.json" 2>"$work/hid.log" </dev/null ||
    fail "no joystick through HID: $(cat "$work/hid.log")"
  # It ends showing the positions played, for the last ten states at least.
  local steady
  steady=$(grep -o '"report": "[0-9a-f?]*"' "$work/hid.json" | cut -d'"' -f4 | tail -n 10 | sort -u)
  [ "$steady" = "$report" ] ||
    fail "the joystick's last states are $(tr '\n' ' ' <<<"$steady"), not $report (states: $work/hid.json)"
  echo "the joystick followed the signal: $(grep -c '' "$work/hid.json") states read through HID"

  wine "$probe" menu 2002 >/dev/null 2>>"$work/probe.err" </dev/null || fail "the probe found no window for \"Exit\""
  poll 10 bash -c "! kill -0 $pid 2>/dev/null" || fail "\"Exit\" did not end the program"
  pid=""
  wine "$check" gone --timeout 10 >/dev/null 2>"$work/gone.log" </dev/null || fail "after \"Exit\": $(cat "$work/gone.log")"
  echo "\"Exit\" took the joystick away"

  wine "$program" >>"$work/corvane.log" 2>&1 </dev/null &
  pid=$!
  wine "$check" read --via hid --states 1 --timeout 40 >/dev/null 2>"$work/hid2.log" </dev/null ||
    fail "no joystick after the second start: $(cat "$work/hid2.log")"
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null
  pid=""
  wine "$check" gone --timeout 10 >/dev/null 2>"$work/gone.log" </dev/null || fail "after a kill: $(cat "$work/gone.log")"
  echo "killing the program took the joystick away; all in $((SECONDS - begin)) s"
  echo "PASS"
}

command=${1:-}
package=${2:-}
[ -n "$package" ] || { echo "usage: $0 install|remove|decode|tray PACKAGE_DIR ..." >&2; exit 2; }
case "$command" in
  install) install ;;
  remove) remove ;;
  decode) shift 2; decode "$@" ;;
  tray) shift 2; tray "$@" ;;
  *) echo "usage: $0 install|remove|decode|tray PACKAGE_DIR ..." >&2; exit 2 ;;
esac

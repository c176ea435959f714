#!/usr/bin/env bash
# corvane-decode's live side without a sound card or a kernel joystick: --capture through
# the real ALSA capture backend, whose "default" PCM here reads a signal file as fast as
# it is read; stop signals; --joystick without a usable /dev/uinput.
# Usage: decode_live_test.sh SIGGEN DECODE
set -euo pipefail
siggen=$1
decode=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_line() {  # FILE PATTERN WHAT
  grep -q -- "$2" "$1" || { fail "$3"; echo "--- $1:"; tail -n 5 "$1"; }
}
expect_status() {  # WANTED GOT WHAT
  [ "$1" = "$2" ] || fail "$3: exit status $2, not $1"
}

cat >"$work/asound.conf" <<CONF
pcm.!default {
  type file
  slave.pcm { type null }
  file "/dev/null"
  infile "$work/signal.raw"
  format "raw"
}
CONF
export ALSA_CONFIG_PATH=$work/asound.conf

# Past the end of the file, ALSA hands out the capture buffers without writing them, so
# they repeat what they held: the signals end in 8000 bytes of silence, which both of
# the program's 2000-byte buffers then hold.
signal() {  # SIGGEN-ARGS...
  { "$siggen" --raw "$@" -; head -c 8000 /dev/zero; } >"$work/signal.raw"
}

# The capture decodes what the file path decodes, buffer for buffer, and then silence.
capture_matches_file() {  # MODE POSITIONS [SNR]
  local mode=$1 positions=$2 snr=${3:-30} status=0
  signal --format "$mode" --positions "$positions" --duration 1 --snr "$snr"
  "$decode" --raw --json --mode "$mode" "$work/signal.raw" >"$work/file.json"
  "$decode" --capture --json --mode "$mode" --seconds 0.5 >"$work/capture.json" 2>"$work/capture.err" || status=$?
  expect_status 0 $status "$mode capture"
  local lines
  lines=$(wc -l <"$work/file.json")
  [ "$lines" -ge 20 ] || fail "$mode: only $lines decoded buffers in the file"
  head -n "$lines" "$work/capture.json" | cmp -s - "$work/file.json" ||
    { fail "$mode: the capture decodes otherwise than the file"; diff <(head -n "$lines" "$work/capture.json") "$work/file.json" | head -n 4; }
  expect_line "$work/capture.json" "\"positions\": \[${positions//,/, }, " "$mode: positions through capture"
  [ ! -s "$work/capture.err" ] || { fail "$mode capture: messages"; cat "$work/capture.err"; }
}
# PPM positions come back exactly only without noise: at 30 dB they wander by a step.
capture_matches_file ppm 0,1023,100,900,512,511,333,777 200
capture_matches_file spcm 0,1023,100,900,512,511,333,777
# The checks below read this last signal.
capture_matches_file pcm1024 40,980,300,700,512,200,600,1000

# A table, ended by SIGTERM: the summary counts the silence read after the file too.
decoded=$(wc -l <"$work/file.json")
"$decode" --capture --mode pcm1024 >"$work/term.txt" 2>"$work/term.err" &
pid=$!
sleep 0.5
kill -TERM $pid
status=0
wait $pid || status=$?
expect_status 0 $status "capture ended by SIGTERM"
expect_line "$work/term.txt" '^ *0\.083 *40 *980 *300 *700 *512 *200 *600 *1000 ' "table row while capturing"
expect_line "$work/term.txt" "^[0-9]\{3,\} buffers read, $decoded with a decoded frame\$" "summary after SIGTERM"

# SIGINT ends a read that waits on a quiet pipe; what came before is decoded.
mkfifo "$work/fifo"
{ cat "$work/signal.raw"; exec sleep 20; } >"$work/fifo" &
writer=$!
"$decode" --raw --json "$work/fifo" >"$work/int.json" 2>"$work/int.err" &
pid=$!
sleep 0.5
kill -INT $pid
status=0
wait $pid || status=$?
kill $writer 2>/dev/null || true
expect_status 0 $status "file read ended by SIGINT"
[ "$(wc -l <"$work/int.json")" -eq "$(wc -l <"$work/file.json")" ] || fail "SIGINT: not every buffer of the pipe decoded"
[ ! -s "$work/int.err" ] || { fail "SIGINT: messages"; cat "$work/int.err"; }

# No recording device: a clear line and status 1; with --wait, capture starts when it comes.
# With --stats, every 2 s a line on stderr tells what the last seconds carried.
rm "$work/signal.raw"
status=0
"$decode" --capture >"$work/none.txt" 2>"$work/none.err" || status=$?
expect_status 1 $status "no recording device"
expect_line "$work/none.err" '^corvane-decode: Cannot open the recording device "default": No such file or directory (--wait keeps trying)$' \
  "no recording device: message"
[ ! -s "$work/none.txt" ] || fail "no recording device: output"
"$decode" --capture --wait --seconds 2.5 --json --stats --mode spcm >"$work/wait.json" 2>"$work/wait.err" &
pid=$!
sleep 0.3
signal --format spcm --positions 1,2,3,4,5,6,7,8 --duration 0.2
status=0
wait $pid || status=$?
expect_status 0 $status "--wait"
expect_line "$work/wait.err" 'No such file or directory; trying again every 1.5 s$' "--wait: first failure"
expect_line "$work/wait.err" '^corvane-decode: recording$' "--wait: the device came"
expect_line "$work/wait.json" '"positions": \[1, 2, 3, 4, 5, 6, 7, 8, ' "--wait: decoded once the device came"
expect_line "$work/wait.err" '^corvane-decode: stats: peak .* dBFS, [0-9.]* % clipped; pcm1024 [0-9]* frames, [0-9]* rejected; spcm [0-9]* frames, [0-9]* lost; [a-z-]*$' \
  "--stats: the line while capturing"
tail -n 1 "$work/wait.json" >"$work/wait.stats"
expect_line "$work/wait.stats" '^{"stats": {"samples": [1-9][0-9]*, .*"format": "spcm", ' "--stats: the last line after capturing"

# --joystick without /dev/uinput: one line why, and the same decoding.
status=0
CORVANE_UINPUT_PATH=$work/missing "$decode" --joystick --raw --json "$work/signal.raw" >"$work/j.json" 2>"$work/j.err" || status=$?
expect_status 0 $status "--joystick without uinput"
expect_line "$work/j.err" "no virtual joystick: no $work/missing (No such file or directory)" "--joystick without uinput: why"
[ "$(wc -l <"$work/j.err")" -eq 1 ] || fail "--joystick without uinput: not one line"
"$decode" --raw --json "$work/signal.raw" | cmp -s - "$work/j.json" || fail "--joystick without uinput: decoded otherwise"
# A plain file opens but cannot make a joystick: told, and reports still go (nowhere).
: >"$work/plain"
status=0
CORVANE_UINPUT_PATH=$work/plain "$decode" --joystick --raw --json "$work/signal.raw" >"$work/p.json" 2>"$work/p.err" || status=$?
expect_status 0 $status "--joystick on a plain file"
expect_line "$work/p.err" "$work/plain did not create the virtual joystick; reports are still sent" "--joystick on a plain file: told"
expect_line "$work/p.err" "reports are still sent (Inappropriate ioctl for device)$" "--joystick on a plain file: the system's reason told"
cmp -s "$work/p.json" "$work/j.json" || fail "--joystick on a plain file: decoded otherwise"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "decode live: all checks passed"

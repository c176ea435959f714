#!/usr/bin/env bash
# corvane-decode.exe --capture records Wine's default wave-in device for real: a
# PulseAudio null sink (s16le, 48000 Hz, one channel) whose monitor is the default
# source, fed by paplay with a generated signal. Wine's wave-in loses samples at times,
# so the check is that the buffers decode to the positions sent, not that bytes match.
# Without any recording device the tool says so and exits with status 1.
# Usage: capture_test.sh SIGGEN DECODE_EXE WORK_DIR
set -euo pipefail
siggen=$1
decode=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
source "$(dirname "$0")/../support/shell_helpers.sh"
# Every program of the test, Wine's too, is a client of its own sound server.
sound_dir=$work/sound
use_sound_server
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

player=""
stop_all() {
  [ -n "$player" ] && kill "$player" 2>/dev/null && wait "$player" 2>/dev/null
  stop_sound_server || true
}
trap stop_all EXIT

# No sound card and no sound server: the one line, status 1.
if [ ! -e /proc/asound/cards ] || grep -q "no soundcards" /proc/asound/cards; then
  status=0
  wine "$decode" --capture --seconds 1 </dev/null >"$work/none.out" 2>"$work/none.err" || status=$?
  [ "$status" = 1 ] || fail "without a recording device: status $status"
  grep -q "^corvane-decode: cannot open the recording device: .*[^.] (--wait keeps trying)" "$work/none.err" ||
    fail "without a recording device: $(cat "$work/none.err")"
  # --wait keeps trying until Ctrl+C (SIGINT, which Wine hands to the console's handler),
  # then ends in order: the summary, status 0.
  wine "$decode" --capture --wait </dev/null >"$work/wait.out" 2>"$work/wait.err" &
  waiting=$!
  sleep 3
  kill -INT "$waiting" || fail "--wait: the tool is not running"
  status=0
  wait "$waiting" || status=$?
  [ "$status" = 0 ] || fail "--wait ended by Ctrl+C: status $status"
  grep -q "trying again every 1.5 s" "$work/wait.err" || fail "--wait: $(cat "$work/wait.err")"
  grep -q "^0 buffers read" "$work/wait.out" || fail "--wait ended by Ctrl+C: no summary"
fi

if ! start_sound_server; then
  echo "FAIL: the sound server did not start: $(cat "$sound_dir/pulseaudio.log" 2>/dev/null)"
  exit 1
fi

positions=0,1023,100,900,512,511,333,777
for format in pcm1024 spcm; do
  wine "$siggen" --raw --format $format --positions $positions --duration 8 --snr 30 "$work/$format.raw" </dev/null
  "${sink_player[@]}" "$work/$format.raw" &
  player=$!
  sleep 0.3
  wine "$decode" --capture --seconds 4 --json --mode $format </dev/null >"$work/$format.json" 2>"$work/$format.err" ||
    fail "$format: decode.exe --capture failed: $(cat "$work/$format.err")"
  kill "$player" 2>/dev/null || true
  wait "$player" 2>/dev/null || true
  player=""

  # About 190 buffers in 4 s: PCM1024 completes a frame in nearly every one, SPCM in
  # about every second, fewer when a busy machine makes Wine drop samples. Once every
  # channel is in, a frame carries the positions sent.
  expected='"positions": \[0, 1023, 100, 900, 512, 511, 333, 777, '
  lines=$(wc -l <"$work/$format.json")
  good=$(grep -c "$expected" "$work/$format.json" || true)
  echo "$format: $lines buffers with a frame, $good of them with the positions sent"
  [ "$lines" -ge 10 ] || fail "$format: only $lines buffers decoded a frame"
  [ "$good" -ge $((lines * 9 / 10)) ] || fail "$format: only $good of $lines with the positions sent"
  tail -n 1 "$work/$format.json" | grep -q "$expected" || fail "$format: the last report is not the positions sent"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; the server's log: $sound_dir/pulseaudio.log"
  exit 1
fi
echo "capture under Wine: the positions sent"

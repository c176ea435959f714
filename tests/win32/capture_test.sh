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
mkdir -p "$work/home" "$work/run" "$work/state"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A sound server of this test's own, found by its socket alone.
export HOME="$work/home" PULSE_RUNTIME_PATH="$work/run" PULSE_STATE_PATH="$work/state"
export PULSE_SERVER="unix:$work/native"
player=""
stop_all() {
  [ -n "$player" ] && kill "$player" 2>/dev/null && wait "$player" 2>/dev/null
  pulseaudio --kill 2>/dev/null || true
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

cat >"$work/server.pa" <<CONFIG
load-module module-native-protocol-unix socket=$work/native auth-anonymous=1
load-module module-null-sink sink_name=corvane format=s16le rate=48000 channels=1
set-default-sink corvane
set-default-source corvane.monitor
CONFIG
pulseaudio --daemonize=yes --exit-idle-time=-1 --system=false -n -F "$work/server.pa" \
  --use-pid-file=yes --log-target=file:"$work/pulseaudio.log"
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done

positions=0,1023,100,900,512,511,333,777
for format in pcm1024 spcm; do
  wine "$siggen" --raw --format $format --positions $positions --duration 8 --snr 30 "$work/$format.raw" </dev/null
  paplay --raw --format=s16le --rate=48000 --channels=1 --latency-msec=20 --device=corvane "$work/$format.raw" &
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
  echo "$failures check(s) failed; the server's log: $work/pulseaudio.log"
  exit 1
fi
echo "capture under Wine: the positions sent"

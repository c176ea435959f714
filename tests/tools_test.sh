#!/usr/bin/env bash
# Runs corvane-siggen and corvane-decode as a user would: files, pipes, bad input.
# Usage: tools_test.sh SIGGEN DECODE
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
expect_error() {  # PATTERN WHAT ARGS...
  local pattern=$1 what=$2
  shift 2
  if "$decode" "$@" >"$work/out" 2>"$work/err"; then
    fail "$what: exit status 0"
  fi
  expect_line "$work/err" "$pattern" "$what: message"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$what: not one line"
}

positions=0,1023,100,900,512,511,333,777

# A WAV file, decoded to JSON lines: 1.01 s = 48 full buffers and one of 960 bytes.
"$siggen" --positions $positions --duration 1.01 --snr 30 --drift 500 "$work/a.wav"
"$decode" --json "$work/a.wav" >"$work/a.json"
expect_line "$work/a.json" '^{"buffer": 4[5-8], "positions": \[0, 1023, 100, 900, 512, 511, 333, 777, 0, 0\], "seconds": \[512, 512, 512, 512, 512, 512, 512, 512, 512, 512\], "flags": \[0, 0, 0, 0, 0, 0, 0, 0, 0, 0\], "report": "[0-9a-f]\{72\}"}$' \
  "JSON line of a late buffer"
# The map reorders the axes: axis 1 driven by Ch.8 (777 = 0x309).
"$decode" --json --map 7,6,5,4,3,2,1,0,1,1 "$work/a.wav" | tail -n 1 >"$work/map.json"
expect_line "$work/map.json" '"report": "09030000' "report built with the map"

# Raw samples through a pipe, with an odd byte at the end, as a readable table.
{ "$siggen" --raw --invert --highpass 20 --positions $positions --duration 1.01 -; printf '\001'; } |
  "$decode" --raw - >"$work/table.txt"
expect_line "$work/table.txt" 'Ch.1 *Ch.2' "table header"
expect_line "$work/table.txt" '^ *1\.000 *0 *1023 *100 *900 *512 *511 *333 *777 ' "table row at 1 s"
expect_line "$work/table.txt" '^49 buffers read, 4[0-9] with a decoded frame$' "summary"

# SPCM, decoded in mode 1.
"$siggen" --format spcm --positions $positions --duration 0.5 --snr 30 "$work/s.wav"
"$decode" --mode spcm --json "$work/s.wav" | tail -n 1 >"$work/s.json"
expect_line "$work/s.json" '"positions": \[0, 1023, 100, 900, 512, 511, 333, 777, 512, 512\]' "SPCM positions"

# --stats: one last line on the health of the input; the lines before it are the same
# as without --stats, so the shadow decoder changes nothing.
expect_stats() {  # WHAT PATTERN DECODE-ARGS...
  local what=$1 pattern=$2
  shift 2
  "$decode" --json --stats "$@" >"$work/stats.json"
  "$decode" --json "$@" >"$work/plain.json"
  tail -n 1 "$work/stats.json" >"$work/stats.line"
  expect_line "$work/stats.line" "$pattern" "$what"
  head -n -1 "$work/stats.json" | cmp -s - "$work/plain.json" || fail "$what: the per-buffer lines differ with --stats"
}
# One second of clean PCM1024 holds 35 groups of 1368 samples (a sync word and two frames,
# 190 cells of 7.2 samples) and 120 samples of the next: 35 sync words and 70 frames. The
# sync words come with frame phases 4, 6, 0, 2 in turn: 18 as received, 17 inverted.
"$siggen" --positions $positions --duration 1 "$work/p.wav"
expect_stats "clean PCM1024" \
  '^{"stats": {"samples": 48000, "clipped": 0, "peak_dbfs": -10.3, "dc": -\?[0-9.]*, "runs": [0-9]*, "glitches": 0, "pcm1024": {"syncs": 35, "frames": 70, "rejected": 0}, "spcm": {"syncs": [0-9]*, "frames": 0, "lost": [0-9]*}, "format": "pcm1024", "verdict": "ok", "advice": "[^"]*"}}$' \
  "$work/p.wav"
"$decode" --stats "$work/p.wav" >"$work/stats.txt"
"$decode" "$work/p.wav" >"$work/plain.txt"
head -n "$(wc -l <"$work/plain.txt")" "$work/stats.txt" | cmp -s - "$work/plain.txt" || fail "stats report: the table differs"
expect_line "$work/stats.txt" '^  pcm1024  35 sync words (18 as received, 17 inverted), 70 frames accepted, 0 rejected (0.0 %)$' \
  "stats report: PCM1024 counts"
expect_line "$work/stats.txt" '^  verdict  ok$' "stats report: verdict"
# Clean SPCM frames are 2028 samples (sync run, lead-in and 240 cells of 8 samples, pause):
# one second holds 23 and the sync run of the 24th.
"$siggen" --format spcm --positions $positions --duration 1 "$work/s1.wav"
expect_stats "clean SPCM" '"spcm": {"syncs": 24, "frames": 23, "lost": 0}, "format": "spcm", "verdict": "ok"' \
  --mode spcm "$work/s1.wav"
expect_stats "SPCM read as PCM1024" \
  '"pcm1024": {"syncs": 0, "frames": 0, "rejected": 0}, .*"format": "spcm", "verdict": "wrong-mode", "advice": "The signal is SPCM: choose --mode spcm, or the TX Type \\"SPCM (JR)\\"."}}$' \
  "$work/s1.wav"
expect_stats "PCM1024 read as SPCM" \
  '"pcm1024": {"syncs": 35, "frames": 70, "rejected": 0}, "spcm": {[^}]*"frames": 0, [^}]*}, "format": "pcm1024", "verdict": "wrong-mode", "advice": "The signal is PCM1024: choose --mode pcm1024, or the TX Type \\"PCM1024 (Futaba)\\"."}}$' \
  --mode spcm "$work/p.wav"
"$siggen" --amplitude 0 --duration 1 "$work/silence.wav"
expect_stats "silence" '"clipped": 0, "peak_dbfs": null, "dc": 0.0, .*"format": null, "verdict": "no-signal"' "$work/silence.wav"
"$siggen" --amplitude 0 --hum 100 --duration 1 "$work/hum.wav"
expect_stats "faint hum" '"peak_dbfs": -50.3, .*"format": null, "verdict": "no-signal"' "$work/hum.wav"
"$siggen" --positions $positions --amplitude 32767 --snr 30 --duration 1 "$work/loud.wav"
expect_stats "clipping" '"clipped": [0-9]\{5\}, .*"format": "pcm1024", "verdict": "clipping"' "$work/loud.wav"
"$siggen" --format spcm --positions $positions --duration 2 --snr 11 "$work/noisy.wav"
expect_stats "SPCM at 11 dB SNR" '"spcm": {"syncs": [0-9]*, "frames": [1-9][0-9]*, "lost": [1-9][0-9]*}, "format": "spcm", "verdict": "noisy"' \
  --mode spcm "$work/noisy.wav"

# PPM: 8 channels of 22.5 ms frames, through AC coupling, a low-pass and noise, either
# polarity. Frames are accepted from the third; every channel comes back within a step.
"$siggen" --format ppm --positions $positions --duration 1 --snr 35 --highpass 60 --lowpass 10000 --invert \
  "$work/ppm.wav"
"$decode" --mode ppm "$work/ppm.wav" >"$work/ppm.txt"
expect_line "$work/ppm.txt" '^ *1\.000 *[01] *102[23] *\(99\|100\|101\) *\(899\|900\|901\) *51[123] *51[012] *33[234] *77[678] ' \
  "PPM positions"
expect_stats "clean PPM" '"ppm": {"frames": 4[0-9], "rejected": 0, "unconfirmed": 2, "channels": {"8": 4[0-9]}, "intervals_us": \[{"mean": [0-9.]*, .*"format": "ppm", "verdict": "ok"' \
  --mode ppm "$work/ppm.wav"
"$decode" --stats --mode ppm "$work/ppm.wav" >"$work/ppm-stats.txt"
expect_line "$work/ppm-stats.txt" '^signal stats (decoded as ppm; pcm1024 and spcm read by shadow decoders)$' "PPM report header"
expect_line "$work/ppm-stats.txt" '^  channels 8 per frame (4[0-9] frames)$' "PPM report channels"
expect_line "$work/ppm-stats.txt" '^  Ch.5     1[45][09][09]\.[0-9] us, spread [0-9.]* us' "PPM report interval"
expect_stats "PPM read as PCM1024" \
  '"ppm": {"frames": 4[0-9], .*"format": "ppm", "verdict": "wrong-mode", "advice": "The signal is PPM: choose --mode ppm (the tray program does not read PPM: run corvane-decode --capture --joystick, or its service)."}}$' \
  "$work/ppm.wav"
expect_stats "PCM1024 read as PPM" '"ppm": {"frames": 0, [^]]*\]}, "format": "pcm1024", "verdict": "wrong-mode", "advice": "The signal is PCM1024: choose --mode pcm1024' \
  --mode ppm "$work/p.wav"

# A WAV file whose data stops short of its header: decoded with a warning.
head -c 50044 "$work/a.wav" >"$work/short.wav"
"$decode" "$work/short.wav" >"$work/short.txt" 2>"$work/short.err" || fail "short WAV: exit status"
expect_line "$work/short.err" 'warning: the data chunk is shorter than its header says (50000 of 96960 bytes)' "short WAV warning"
expect_line "$work/short.txt" '^25 buffers read' "short WAV decoded as far as it goes"

# Bad input: one clear line and a non-zero status.
expect_error "$work/missing.wav: cannot open: No such file or directory" "missing file" "$work/missing.wav"
expect_error "--map takes ten numbers" "map index out of range" --map 0,1,2,3,4,5,6,8,0,0 "$work/a.wav"
expect_error "--map takes ten numbers" "map too short" --map 0,1,2 "$work/a.wav"
expect_error "unknown mode 'fm' (pcm1024, spcm or ppm)" "unknown mode" --mode fm "$work/a.wav"
expect_error "unknown option '--fast'" "unknown option" --fast "$work/a.wav"
expect_error "not a RIFF/WAVE file" "raw data read as WAV" "$work/table.txt"
expect_error "no FILE can be given (got '$work/a.wav')" "a file with --capture" --capture "$work/a.wav"
expect_error "does not go with --capture" "--raw with --capture" --capture --raw
expect_error "--seconds goes with --capture only" "--seconds on a file" --seconds 2 "$work/a.wav"
expect_error "--seconds takes a number of seconds above 0, at most 2000000 (got '0')" "--seconds 0" --capture --seconds 0
expect_error "at most 2000000 (got '3e6')" "--seconds too long for a timer" --capture --seconds 3e6
# The Input page's mixer: bad choices are named before anything is touched. The real mixers
# are tried in the VM (tests/system/system_sound_cards_test.cpp).
expect_error "there is no recording device 99; " "a device that does not exist" --capture --device 99 --port Mic
expect_error "--volume takes a level from 0 to 65535 (got '65536')" "volume too high" --capture --device 0 --port 0 --volume 65536
expect_error "--device takes a device number from --list-ports (got '-1')" "negative device" --capture --device -1 --port 0
expect_error "--device and --port go together" "device without port" --capture --device 0
expect_error "--device, --port and --volume go with --capture only" "port of a file" --device 0 --port 0 "$work/a.wav"
expect_error "--volume goes with --device and --port" "volume alone" --capture --volume 100
expect_error "--list-ports goes with --json only" "list with a file" --list-ports "$work/a.wav"
"$decode" --list-ports --json >"$work/ports.json" || fail "--list-ports --json: exit status"
head -n 1 "$work/ports.json" | grep -q '^{"mixer": ".*", "sound_server": \(true\|false\)}$' ||
  fail "--list-ports --json: the first line does not name the mixer"
if tail -n +2 "$work/ports.json" | grep -v '^{"device": [0-9]*, "name": ".*", "ports": \[.*\]}$'; then
  fail "--list-ports --json: a line that is no device object"
fi
if ! grep -q '^ *[0-9]' /proc/asound/cards 2>/dev/null && grep -q '"sound_server": false' "$work/ports.json"; then
  "$decode" --list-ports >"$work/ports.txt" || fail "--list-ports: exit status"
  expect_line "$work/ports.txt" "^mixer: the sound cards' own (ALSA)$" "--list-ports names the mixer"
  expect_line "$work/ports.txt" '^no recording devices$' "--list-ports without sound cards"
  [ "$(wc -l <"$work/ports.json")" -eq 1 ] || fail "--list-ports --json without sound cards: a device listed"
fi
# Mono 44100 Hz: patch the rate (bytes 24-27) of a valid header.
{ head -c 24 "$work/a.wav"; printf '\104\254\000\000'; tail -c +29 "$work/a.wav"; } >"$work/cd.wav"
expect_error "not 16-bit mono 48000 Hz PCM: it is 16-bit mono 44100 Hz PCM" "wrong rate" "$work/cd.wav"
expect_error "cannot read" "a directory" "$work"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "tools: all checks passed"

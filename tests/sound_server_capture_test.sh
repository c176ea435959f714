#!/usr/bin/env bash
# Capture through a desktop sound server, headless and private to the test: PipeWire (through
# pipewire-alsa and through the pulse plugin to pipewire-pulse) or PulseAudio (through the
# pulse plugin). corvane-decode --capture decodes exactly what was played into the server's
# source, and the capture wakes about once a period, not in a spin.
# Usage: sound_server_capture_test.sh pipewire|pulseaudio SIGGEN DECODE CAPTURE_DELAY CACHE_DIR
set -euo pipefail
server=$1
siggen=$2
decode=$3
capture_delay=$4
source "$(dirname "$0")/support/shell_helpers.sh"
source "$(dirname "$0")/support/sound_servers.sh"
work=$(mktemp -d)
sound_servers_dir=$work/sound
sound_servers_cache=$5
# What is decoded is judged where the server drops nothing of its own, also under load.
pipewire_min_quantum=256
trap 'stop_sound_servers; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Every report the signal can give, whatever the phase of the capture's buffers: the file
# decoded behind 0, 50, ... 950 samples of silence, without the buffer numbers.
reports_at_every_phase() {  # RAW MODE
  local phase
  for phase in $(seq 0 50 950); do
    { head -c $((2 * phase)) /dev/zero; cat "$1"; } | "$decode" --raw --json --mode "$2" -
  done | sed 's/"buffer": [0-9]*, //' | sort -u
}

# Plays a sweep into the source while corvane-decode records ALSA's default device: the
# reports it prints are ones the signal gives, and most are there. A server on a loaded
# machine may drop some audio of its own (pw-record loses as much there): a frame lost
# between two decoded ones leaves a table no clean signal gives, so an eighth of the
# reports may be such, and a fifth of them may be missing (and four buffers' worth for
# the start and the end of the sweep). Lost, repeated or reordered reads fail it.
capture_decodes_what_was_played() {  # PATH MODE
  local path=$1 mode=$2 status=0
  alsa_default_through "$path"
  "$siggen" --format "$mode" --sweep --duration 3 "$work/sweep.wav"
  "$siggen" --format "$mode" --sweep --duration 3 --raw "$work/sweep.raw"
  reports_at_every_phase "$work/sweep.raw" "$mode" >"$work/possible.json"
  "$decode" --capture --json --mode "$mode" --seconds 5 >"$work/capture.json" 2>"$work/capture.err" &
  local capture=$!
  sleep 0.5
  "${source_player[@]}" "$work/sweep.wav" || fail "$path $mode: the player failed"
  wait $capture || status=$?
  [ "$status" = 0 ] || { fail "$path $mode: corvane-decode ended with status $status"; cat "$work/capture.err"; }
  sed 's/"buffer": [0-9]*, //' "$work/capture.json" >"$work/captured.json"
  local played captured foreign
  played=$("$decode" --raw --json --mode "$mode" "$work/sweep.raw" | wc -l)
  captured=$(wc -l <"$work/captured.json")
  foreign=$(grep -cvxFf "$work/possible.json" "$work/captured.json" || true)
  [ "$foreign" -le $((captured / 8)) ] || { fail "$path $mode: $foreign reports the signal cannot give"; \
    grep -vxFf "$work/possible.json" "$work/captured.json" | head -n 3; }
  [ "$captured" -ge $((played * 4 / 5 - 4)) ] || fail "$path $mode: $captured reports of the $played played"
  echo "$path $mode: $captured reports captured of the $played the file gives, $foreign it cannot give"
}

# Wake-ups of the capture with nothing played (the source still runs): a spin wakes tens
# of thousands of times a second; a period rate of wake-ups passes with room to spare.
# Most wake-ups must find something to read. Through a server's plugin the capture asks
# for 64-frame periods.
wakes_about_once_a_period() {  # PATH
  alsa_default_through "$1"
  local out rate period all empty
  out=$("$capture_delay" 2) || { fail "$1: the capture measurement failed"; return; }
  echo "$1: $out" | tr '\n' ' '
  echo
  grep -q "^period 64 frames" <<<"$out" || fail "$1: not 64-frame periods"
  rate=$(sed -n 's/^wakeups \([0-9]*\).*/\1/p' <<<"$out")
  period=$(sed -n 's/.*(period rate \([0-9]*\).*/\1/p' <<<"$out")
  [ -n "$rate" ] && [ -n "$period" ] || { fail "$1: no wake-up count in: $out"; return; }
  [ "$rate" -le $((3 * period + 50)) ] || fail "$1: $rate wake-ups a second at a period rate of $period"
  # A descriptor left ready with nothing to read wakes the loop for nothing, again and again.
  all=$(sed -n 's/.*, \([0-9]*\) of \([0-9]*\) empty.*/\2/p' <<<"$out")
  empty=$(sed -n 's/.*, \([0-9]*\) of \([0-9]*\) empty.*/\1/p' <<<"$out")
  [ -n "$all" ] && [ -n "$empty" ] || { fail "$1: no count of empty wake-ups in: $out"; return; }
  [ $((2 * empty)) -le $((all + 20)) ] || fail "$1: $empty of $all wake-ups found nothing to read"
}

case $server in
  pipewire)
    start_pipewire || fail "PipeWire did not start"
    paths=(pipewire pulse)
    ;;
  pulseaudio)
    start_pulseaudio || fail "PulseAudio did not start"
    paths=(pulse)
    ;;
  *) echo "usage: $0 pipewire|pulseaudio SIGGEN DECODE CAPTURE_DELAY CACHE_DIR"; exit 2 ;;
esac
if [ "$failures" = 0 ]; then
  for path in "${paths[@]}"; do
    capture_decodes_what_was_played "$path" pcm1024
    capture_decodes_what_was_played "$path" spcm
    wakes_about_once_a_period "$path"
  done
fi
[ "$failures" = 0 ] || { echo "--- server logs:"; tail -n 5 "$sound_servers_dir"/*.log; exit 1; }
echo "PASS"

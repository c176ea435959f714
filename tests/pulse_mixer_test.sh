#!/usr/bin/env bash
# The sound server's mixer against each real headless server: PipeWire with WirePlumber
# and pipewire-pulse, then PulseAudio, each given a stereo virtual source for the tests
# (pulse_mixer_test.cpp); then corvane-decode's choice of mixer with and without one.
# Usage: pulse_mixer_test.sh PULSE_MIXER_TESTS DECODE
# Exit status 77 (skipped) only where the servers are missing, and never in CI.
set -uo pipefail
tests=$1
decode=$2
here=$(dirname "$0")
source "$here/support/shell_helpers.sh"
source "$here/support/sound_servers.sh"
work=$(mktemp -d)
trap 'stop_sound_servers; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

export CORVANE_TEST_SOURCE=corvane_mixer_test
# Without a server the sound cards' own mixers are listed, and say so.
XDG_RUNTIME_DIR=$work PULSE_SERVER=unix:$work/none "$decode" --list-ports --json >"$work/alsa.json"
head -n 1 "$work/alsa.json" | grep -qx '{"mixer": "ALSA", "sound_server": false}' || fail "no server: not ALSA's mixer"

for server in pipewire pulseaudio; do
  echo "--- $server"
  sound_servers_dir=$work/$server
  mkdir -p "$sound_servers_dir"
  "start_$server" || { fail "$server did not start"; continue; }
  if [ "$server" = pipewire ]; then
    # pipewire-pulse has no null source; a null sink made a source stands in.
    pactl load-module module-null-sink sink_name=$CORVANE_TEST_SOURCE media.class=Audio/Source/Virtual \
      channel_map=front-left,front-right sink_properties=device.description=$CORVANE_TEST_SOURCE >/dev/null
  else
    pactl load-module module-null-source source_name=$CORVANE_TEST_SOURCE channels=2 \
      description=$CORVANE_TEST_SOURCE >/dev/null
  fi || fail "$server: the test source could not be made"
  poll 10 pactl get-source-volume $CORVANE_TEST_SOURCE >/dev/null 2>&1 || fail "$server: no test source"
  "$tests" || fail "$server: the mixer tests"

  # The program's choice: the server's mixer, whose hardware sources are none here.
  "$decode" --list-ports >"$work/ports.txt"
  head -n 1 "$work/ports.txt" | grep -q "^mixer: the sound server's (.*[0-9])$" || fail "$server: --list-ports: not the server's mixer"
  "$decode" --list-ports --json >"$work/ports.json"
  head -n 1 "$work/ports.json" | grep -q '^{"mixer": ".*", "sound_server": true}$' || fail "$server: --list-ports --json: not the server's mixer"
  stop_sound_servers
done

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"

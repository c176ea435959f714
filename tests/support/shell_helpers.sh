# Shared by the shell tests that run real programs: sourced, not run. Skipping where a
# tool is missing (never in CI), polling with a deadline, and a sound server of the
# test's own.

skip() {
  echo "SKIP: $*"
  if [ "${CI:-}" = "true" ]; then
    echo "FAIL: CI must run this test (install the packages in scripts/deps)"
    exit 1
  fi
  exit 77
}

require() {  # TOOL...
  local tool
  for tool in "$@"; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done
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

# A PulseAudio server in $sound_dir, found by its socket alone: `sound COMMAND...` runs
# a client of it, and after use_sound_server every program started is one. Its null sink
# "corvane" takes 16-bit mono at 48 kHz, and the sink's monitor is the default recording
# source.
sound_dir=""
sound() {
  HOME="$sound_dir" PULSE_RUNTIME_PATH="$sound_dir/run" PULSE_STATE_PATH="$sound_dir/state" \
    PULSE_SERVER="unix:$sound_dir/native" "$@"
}
use_sound_server() {
  mkdir -p "$sound_dir"
  export HOME="$sound_dir" PULSE_RUNTIME_PATH="$sound_dir/run" PULSE_STATE_PATH="$sound_dir/state"
  export PULSE_SERVER="unix:$sound_dir/native"
}
sound_server_up() { sound pactl info >/dev/null 2>&1; }
start_sound_server() {
  mkdir -p "$sound_dir/run" "$sound_dir/state"
  cat >"$sound_dir/server.pa" <<CONFIG
load-module module-native-protocol-unix socket=$sound_dir/native auth-anonymous=1
load-module module-null-sink sink_name=corvane format=s16le rate=48000 channels=1
set-default-sink corvane
set-default-source corvane.monitor
CONFIG
  sound pulseaudio --daemonize=yes --exit-idle-time=-1 --system=false -n -F "$sound_dir/server.pa" \
    --log-target=file:"$sound_dir/pulseaudio.log" && poll 10 sound_server_up
}
stop_sound_server() { [ -z "$sound_dir" ] || sound pulseaudio --kill 2>/dev/null; }
# Plays a raw recording (16-bit mono at 48 kHz) into the null sink: a command, not a
# function, so that a player started in the background is the process $! names.
sink_player=(paplay --raw --format=s16le --rate=48000 --channels=1 --latency-msec=20 --device=corvane)

# Headless desktop sound servers for the tests, sourced after shell_helpers.sh: PipeWire
# with WirePlumber and pipewire-pulse, or PulseAudio, each private to the test (its own
# XDG_RUNTIME_DIR, HOME and session D-Bus) and each with a virtual recording source,
# "corvane_source", the default source, that plays what is played into "corvane_sink".
#
#   sound_servers_dir=$work/sound      # private folder, set before starting (required)
#   sound_servers_cache=$build/sound   # where pipewire-alsa is unpacked (default: in the dir)
#   pipewire_min_quantum=256           # optional, see below
#   start_pipewire | start_pulseaudio  # exports the environment: every program started
#                                      # afterwards is a client of that server
#   alsa_default_through pipewire|pulse  # ALSA's "default" then goes through pipewire-alsa
#                                        # or the pulse plugin (whichever server runs)
#   "${source_player[@]}" FILE.wav &   # plays a WAV into the source in real time ($! is
#                                      # the player)
#   stop_sound_servers                 # in the test's EXIT trap
#
# Everything comes from scripts/deps, except pipewire-alsa: Debian's pulseaudio conflicts
# with it, so its package is unpacked into $sound_servers_cache and named in a private ALSA
# configuration instead of being installed.

sound_servers_dir=""
sound_servers_cache=""
# PipeWire's shortest quantum, in frames; empty keeps its own (32). On a loaded machine its
# clients drop audio at 64-frame quanta: a test of what is decoded sets a longer one.
pipewire_min_quantum=""
sound_server_pids=()
source_player=()

# Servers and players under emulation or load drop audio unless they run in real time.
realtime=()
chrt -f 20 true 2>/dev/null && realtime=(chrt -f 20)

sound_servers_environment() {
  local run=$sound_servers_dir/run
  mkdir -p "$run" "$sound_servers_dir/home"
  chmod 700 "$run"
  export XDG_RUNTIME_DIR=$run HOME=$sound_servers_dir/home
  export XDG_CONFIG_HOME=$HOME/.config XDG_STATE_HOME=$HOME/.state XDG_DATA_HOME=$HOME/.data
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$run/bus
  unset PULSE_SERVER PULSE_RUNTIME_PATH PULSE_STATE_PATH PIPEWIRE_RUNTIME_DIR PIPEWIRE_REMOTE
  unset ALSA_CONFIG_PATH
}

# Starts a program in the background as a server of the test, its output in LOG.
sound_server_spawn() {  # LOG PROGRAM [ARG...]
  local log=$sound_servers_dir/$1
  shift
  "${realtime[@]}" "$@" >"$log" 2>&1 &
  sound_server_pids+=($!)
}

pulse_answers() { pactl info >/dev/null 2>&1; }
source_is_default() { [ "$(pactl get-default-source 2>/dev/null)" = corvane_source ]; }

# PipeWire, WirePlumber (which quits without a session D-Bus) and pipewire-pulse, with a
# loopback whose sink side takes what is played and whose source side is recorded.
start_pipewire() {
  require pipewire wireplumber pipewire-pulse pw-loopback pw-play pactl dbus-daemon
  sound_servers_environment
  if [ -n "$pipewire_min_quantum" ]; then
    mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d"
    echo "context.properties = { default.clock.min-quantum = $pipewire_min_quantum }" \
      >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/quantum.conf"
  fi
  dbus-daemon --session --fork --address="$DBUS_SESSION_BUS_ADDRESS" --print-pid=1 \
    >"$sound_servers_dir/dbus.pid" || return 1
  sound_server_pids+=("$(cat "$sound_servers_dir/dbus.pid")")
  sound_server_spawn pipewire.log pipewire
  poll 10 test -S "$XDG_RUNTIME_DIR/pipewire-0" || { echo "PipeWire did not start"; return 1; }
  sound_server_spawn wireplumber.log wireplumber
  sound_server_spawn pipewire-pulse.log pipewire-pulse
  sound_server_spawn loopback.log pw-loopback -c 1 -m '[ MONO ]' \
    --capture-props='media.class=Audio/Sink node.name=corvane_sink node.description="Corvane test sink"' \
    --playback-props='media.class=Audio/Source node.name=corvane_source node.description="Corvane test source"'
  poll 15 source_is_default || { echo "PipeWire's test source did not become the default"; return 1; }
  source_player=("${realtime[@]}" pw-play --target corvane_sink)
}

# PulseAudio with a null sink and a source remapped from the sink's monitor: a source of
# its own, not a monitor.
start_pulseaudio() {
  require pulseaudio pactl paplay
  sound_servers_environment
  cat >"$sound_servers_dir/server.pa" <<CONFIG
load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=corvane_sink format=s16le rate=48000 channels=1 sink_properties=device.description=Corvane-test-sink
load-module module-remap-source master=corvane_sink.monitor source_name=corvane_source channels=1 source_properties=device.description=Corvane-test-source
set-default-sink corvane_sink
set-default-source corvane_source
CONFIG
  sound_server_spawn pulseaudio.log pulseaudio --daemonize=no --exit-idle-time=-1 --system=false \
    -n -F "$sound_servers_dir/server.pa" --log-target=stderr
  poll 15 source_is_default || { echo "PulseAudio did not start"; return 1; }
  source_player=("${realtime[@]}" paplay --device=corvane_sink)
}

stop_sound_servers() {
  local pid
  for pid in "${sound_server_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${sound_server_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  sound_server_pids=()
}

# Unpacks pipewire-alsa's package, of the installed PipeWire's version, once per cache.
pipewire_alsa_unpacked() {
  local version dir deb
  version=$(dpkg-query -W -f='${Version}' libpipewire-0.3-0 2>/dev/null) || skip "PipeWire is not installed"
  dir=$(realpath -m "${sound_servers_cache:-$sound_servers_dir/cache}/pipewire-alsa-$version")
  mkdir -p "$dir"
  (
    flock 9
    [ -f "$dir/unpacked" ] && exit 0
    cd "$dir" && rm -f ./*.deb && apt-get download -qq "pipewire-alsa=$version" 2>/dev/null &&
      deb=$(echo ./*.deb) && dpkg -x "$deb" root && rm -f "$deb" && touch unpacked
  ) 9>"$dir.lock" >&2 || skip "pipewire-alsa $version could not be downloaded"
  echo "$dir/root"
}

# ALSA's own configuration with the system's configuration folders replaced by one of the
# test's: the pulse plugin's hook, which sends "default" to any PulseAudio-protocol server
# that answers, is only there for "pulse"; for "pipewire", pipewire-alsa's files are.
alsa_default_through() {  # pipewire|pulse
  local conf=$sound_servers_dir/alsa-$1 system=/usr/share/alsa/alsa.conf.d root lib
  rm -rf "$conf.d"
  mkdir -p "$conf.d"
  case $1 in
    pipewire)
      root=$(pipewire_alsa_unpacked) || exit
      lib=$(dirname "$(find "$root" -name libasound_module_pcm_pipewire.so)")
      cp "$root"/usr/share/alsa/alsa.conf.d/*.conf "$conf.d/"
      cat >"$conf.d/00-pipewire-plugins.conf" <<CONF
pcm_type.pipewire { lib "$lib/libasound_module_pcm_pipewire.so" }
ctl_type.pipewire { lib "$lib/libasound_module_ctl_pipewire.so" }
CONF
      ;;
    pulse)
      cp "$system/50-pulseaudio.conf" "$system/pulse.conf" "$conf.d/"
      ;;
    *) echo "alsa_default_through: pipewire or pulse, not $1" >&2; return 1 ;;
  esac
  sed -e '\|"/var/lib/alsa/conf.d"|d; \|"/usr/etc/alsa/conf.d"|d' \
    -e "s|\"/etc/alsa/conf.d\"|\"$conf.d\"|" /usr/share/alsa/alsa.conf >"$conf.conf"
  export ALSA_CONFIG_PATH=$conf.conf
}

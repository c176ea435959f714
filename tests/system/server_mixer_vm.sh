#!/bin/sh
# Inside the VM (server_mixer_test.sh starts it): a sound server manages QEMU's AC'97 card,
# and corvane-decode chooses the "Line In" port at a level through the server's mixer, from
# another port and from "Line In" itself, each muted.
# While it runs, the recording stays switched on and the server's source shows the port and
# the level; after it ends, the source and the card's controls are as before.
# Usage: server_mixer_vm.sh pulseaudio|pipewire CORVANE-DECODE
set -u
server=$1
decode=$2
export HOME=/root/home XDG_RUNTIME_DIR=/root/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
poll() {  # COMMAND...: every 0.1 s, for at most 30 s
  tries=0
  until "$@" >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -ge 300 ] && return 1
    sleep 0.1
  done
}

case $server in
  pulseaudio)
    cat >/root/server.pa <<CONFIG
load-module module-device-restore
load-module module-card-restore
load-module module-alsa-card device_id=0
load-module module-native-protocol-unix auth-anonymous=1
CONFIG
    pulseaudio -n -F /root/server.pa --daemonize=no --exit-idle-time=-1 --disable-shm \
      --log-target=stderr >/root/server.log 2>&1 &
    ;;
  pipewire)
    # WirePlumber quits without a session bus, and without logind's folders to watch.
    mkdir -p /run/systemd/seats /run/systemd/sessions /run/systemd/users /run/systemd/machines
    # PipeWire takes a card once udev says it is set up; there is no udev daemon here.
    mkdir -p /run/udev/data
    echo "E:SOUND_INITIALIZED=1" >/run/udev/data/+sound:card0
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
    dbus-daemon --session --fork --address="$DBUS_SESSION_BUS_ADDRESS" || exit 1
    pipewire >/root/server.log 2>&1 &
    poll test -S "$XDG_RUNTIME_DIR/pipewire-0" || { echo "PipeWire did not start"; cat /root/server.log; exit 1; }
    wireplumber >/root/wireplumber.log 2>&1 &
    pipewire-pulse >/root/pipewire-pulse.log 2>&1 &
    ;;
  *) echo "unknown server $server"; exit 2 ;;
esac
has_source() { pactl list short sources | grep -v '\.monitor' | grep -q alsa_input; }
poll has_source || {
  echo "the server offers no source of the card"
  ps
  for log in /root/*.log; do echo "--- $log"; cat "$log"; done
  exit 1
}
source=$(pactl list short sources | grep -v '\.monitor' | grep alsa_input | cut -f2 | head -n 1)
echo "source: $source"

source_state() {
  pactl list sources | sed -n "/Name: $source\$/,/Formats:/p" | grep -E 'Active Port|Mute:|^[[:space:]]*Volume:'
}
active_port() { source_state | grep -q "Active Port: $1"; }

"$decode" --list-ports | tee /root/ports.txt
grep -q "^mixer: the sound server's" /root/ports.txt || fail "--list-ports does not name the server's mixer"
grep -q '^  port [0-9]*: Line In$' /root/ports.txt || fail "no \"Line In\" port listed"

# record_line_in PORT: from a start on PORT that every restore must give back (unequal
# channels, muted), Corvane records "Line In" at level 40000.
record_line_in() {
  echo "--- from $1"
  pactl set-source-port "$source" "$1"
  pactl set-source-volume "$source" 19661 45875
  pactl set-source-mute "$source" 1
  sleep 1
  source_state >/root/before.source
  amixer -c 0 contents >/root/before.card
  cat /root/before.source

  "$decode" --capture --device 0 --port "Line In" --volume 40000 --seconds 120 >/dev/null \
    2>/root/decode.err &
  decode_pid=$!
  poll active_port analog-input-linein || fail "$1: the source's port did not become \"Line In\""
  sleep 2  # time for a server to fight the choice
  source_state | tee /root/during.source
  grep -q 'Mute: no' /root/during.source || fail "$1: the source is muted while Corvane records"
  grep -E '^[[:space:]]*Volume:' /root/during.source | grep -q 'front-left: 40001 .*front-right: 40001 ' ||
    fail "$1: the source's volume is not 40001 (level 40000) on every channel"
  amixer -c 0 sget Capture | tee /root/during.capture | grep -q '\[on\]' ||
    fail "$1: the card's capture switch is off"
  amixer -c 0 cget name='Capture Source' | grep -q ': values=4,4$' || fail "$1: the card does not record Line"
  kill -TERM $decode_pid
  wait $decode_pid || fail "$1: corvane-decode: exit status $?"
  cat /root/decode.err
  sleep 1
  source_state >/root/after.source
  amixer -c 0 contents >/root/after.card
  diff /root/before.source /root/after.source || fail "$1: the server's source is not as before"
  diff /root/before.card /root/after.card || fail "$1: the card's controls are not as before"
}
record_line_in analog-input-mic
# The port chosen already, but muted: the level must survive the unmute.
record_line_in analog-input-linein

if [ $failures -ne 0 ]; then
  for log in /root/*.log; do echo "--- $log"; tail -n 30 "$log"; done
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"

#!/usr/bin/env bash
# Runs server_mixer_vm.sh in a VM with QEMU's AC'97 card under a real sound server, with the
# server, its modules and the tools it needs copied in.
# Usage: server_mixer_test.sh RUN-IN-VM CORVANE-DECODE pulseaudio|pipewire
set -euo pipefail
run_in_vm=$1
decode=$2
server=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/shell_helpers.sh"
require pactl amixer "$server"

files=("$decode" "$(command -v pactl)" "$(command -v amixer)")
# The pulse plugin, behind ALSA's "default" while a server answers.
files+=(/usr/lib/x86_64-linux-gnu/alsa-lib/libasound_module_{pcm,conf}_pulse.so
        /usr/share/alsa/alsa.conf.d/pulse.conf:/etc/alsa/conf.d/99-pulse.conf)
case $server in
  pulseaudio)
    modules=$(dirname "$(dpkg -L pulseaudio | grep '/module-alsa-card\.so$')")
    files+=("$(command -v pulseaudio)" /usr/share/pulseaudio/alsa-mixer)
    for module in module-alsa-card module-native-protocol-unix module-device-restore module-card-restore; do
      files+=("$modules/$module.so")
    done
    ;;
  pipewire)
    require wireplumber pipewire-pulse dbus-daemon
    lib=/usr/lib/x86_64-linux-gnu
    files+=("$(command -v pipewire)" "$(command -v wireplumber)" "$(command -v pipewire-pulse)"
            "$(command -v dbus-daemon)" /usr/share/dbus-1 /usr/share/pipewire /usr/share/wireplumber
            /usr/share/alsa-card-profile)
    # The modules and plugins their configurations load, with the libraries they need.
    for module in rt protocol-native protocol-pulse profiler metadata spa-device-factory \
                  spa-node-factory spa-device spa-node client-node client-device portal access \
                  adapter link-factory session-manager; do
      files+=("$lib/pipewire-0.3/libpipewire-module-$module.so")
    done
    for plugin in "$lib"/wireplumber-0.4/*.so "$lib"/spa-0.2/{support,alsa,audioconvert,audiomixer,control}/*.so; do
      files+=("$plugin")
    done
    ;;
esac
options=()
for file in "${files[@]}"; do options+=(--file "$file"); done
exec "$run_in_vm" --timeout 300 --module snd-intel8x0 "${options[@]}" \
  --qemu -audiodev --qemu none,id=snd0 --qemu -device --qemu AC97,audiodev=snd0 \
  -- "$here/server_mixer_vm.sh" "$server" "$decode"

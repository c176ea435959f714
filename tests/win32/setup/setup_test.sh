#!/usr/bin/env bash
# Corvane's setup under Wine, in a new prefix of its own on a virtual X server, made from
# this build as scripts/windows-package makes it (its name carries the version that
# --version prints), the current one signed with a certificate made here.
#
# An "older" setup is installed through its pages, with a driver that Windows refuses to
# load: a page says so, with what the driver's tool said, and the setup finishes. Settings
# are stored; the current setup, installed silently over it, keeps them, and installs the
# files, the "Apps" entry, the Start menu shortcut and the sign-in start where it says, the
# programs with their signatures, version information and icon, and the joystick driver,
# which runs after the prefix's restart. Corvane, started from the shortcut's target,
# shows its tray icon, records a signal played into a PulseAudio null sink (its stored
# auto-start), and DirectInput reads the joystick state that corvane-decode makes of the
# same signal. The silent uninstall ends it, removes the joystick and the driver and leaves
# nothing but the settings; after another install, the uninstall with /RemoveSettings
# leaves nothing at all.
#
# Usage: setup_test.sh BUILD_DIR STAND_IN_PACKAGE SETUP_PROBE_EXE WORK_DIR [CHECK_EXE]
# STAND_IN_PACKAGE holds a stand-in for the driver's install tool (stand_in_driver_tool.cpp),
# which records what the setup asks of it; the older setup always installs it, the current
# one too when no CHECK_EXE (corvane_joystick_check.exe) is given, and then the joystick is
# not read. Exit status 77 (skipped) only where a tool is missing, and never in CI.
set -uo pipefail

build=$1
driver_package=$2
probe_exe=$3
work=$4
check_exe=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
source "$root/tests/support/shell_helpers.sh"
require Xvfb xdotool wine wineserver makensis osslsigncode openssl pulseaudio pactl paplay

rm -rf "$work"
mkdir -p "$work"
# No Mono or Gecko installer; and no menu entries on this machine's desktop for the
# shortcuts the setup makes.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# What the stand-in driver tool records, and what its "status" answers.
export CORVANE_STAND_IN_LOG="Z:$work/driver-calls.log"
drive_c="$WINEPREFIX/drive_c"
install_dir="$drive_c/Program Files/Corvane"
shortcut='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Corvane.lnk'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKLM\SYSTEM\CurrentControlSet\Control\MediaProperties\PrivateProperties\Joystick\OEM\Corvane'
sound_dir=$work/sound
xvfb=""
corvane=""
player=""

cleanup() {
  [ -n "$player" ] && kill "$player" 2>/dev/null
  [ -n "$corvane" ] && kill "$corvane" 2>/dev/null
  wineserver -k >>"$work/wine.log" 2>&1 </dev/null
  wineserver -w >>"$work/wine.log" 2>&1 </dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  stop_sound_server
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  [ -s "$work/driver-calls.log" ] && sed 's/^/  driver tool called: /' "$work/driver-calls.log"
  exit 1
}

# Wine programs write to files, never to a pipe that a service started by them could hold
# open; Windows ends its lines with CR LF.
run() {
  wine "$@" >"$work/out" 2>>"$work/wine.log" </dev/null
  local status=$?
  tr -d '\r' <"$work/out"
  return $status
}
query() { run reg query "$@" 2>/dev/null; }
# The data of value NAME under KEY.
value_of() { query "$1" /v "$2" | awk -v name="$2" '$1 == name { $1 = $2 = ""; sub(/^ +/, ""); print }'; }
store() { run reg add "$settings_key" /v "$1" /t "$2" /d "$3" /f >/dev/null || fail "could not store $1"; }

make_setup() {  # OUTPUT_DIR [make-setup options]
  local output=$1
  shift
  "$root/packaging/windows/make-setup" "$@" "$build" "$output" 2>>"$work/make-setup.log" | tail -n 1
}
stand_in=(--driver-package "$driver_package")
current_driver=("${stand_in[@]}")
[ -n "$check_exe" ] && current_driver=()
driver_calls() { tr -d '\r' <"$work/driver-calls.log"; }
# A new prefix loads a new driver only at its next start, and replaces a loaded driver's
# image only then.
restart_wine() {
  wineserver -k >>"$work/wine.log" 2>&1 </dev/null
  wineserver -w >>"$work/wine.log" 2>&1 </dev/null
  wineserver -p >>"$work/wine.log" 2>&1 </dev/null
}

# Silent install; the time it took goes to $took_ms.
install() {
  local begin
  begin=$(now_ms)
  run "$1" /S >/dev/null || fail "$(basename "$1") /S failed"
  took_ms=$(($(now_ms) - begin))
}
# The silent uninstaller runs a copy of itself and returns at once; it is done when the
# folder has gone.
uninstall() {
  local begin
  begin=$(now_ms)
  run "C:\\Program Files\\Corvane\\uninstall.exe" /S "$@" >/dev/null || fail "uninstall.exe /S failed"
  poll 60 test ! -e "$install_dir" || fail "the uninstaller left $(find "$install_dir" | tr '\n' ' ')"
  took_ms=$(($(now_ms) - begin))
}

# What the setup may touch: the prefix's files (but the temporary ones) and the software
# keys of both hives, for a comparison after the uninstall. Wine's own keys are left out:
# its settings, and its audio devices, added when Corvane first opens one.
wine_own_keys='^\\[HKEY_CURRENT_USER.Software.Wine|CurrentVersion.MMDevices'
# Under Wine 8 the driver package's catalog, copied into catroot when the package was
# staged, stays there after the package is removed (the INF files go).
wine_leftovers='^\./windows/system32/catroot/\{f750e6c3-38ee-11d1-85e5-00c04fc295ee\}(/corvane\.cat)?$'
snapshot() {
  (cd "$drive_c" && find . -path ./windows/temp -prune -o -path './users/*/Temp' -prune -o -print |
    grep -Ev "$wine_leftovers" | sort) >"$work/$1.files"
  local hive
  for hive in HKLM HKCU; do
    run reg export "$hive\\Software" "Z:$work/$1.$hive.reg" /y >/dev/null || fail "reg export $hive failed"
    iconv -f UTF-16 -t UTF-8 "$work/$1.$hive.reg" | tr -d '\r' |
      awk -v skip="$wine_own_keys" '/^\[/ { keep = $0 !~ skip } keep' >"$work/$1.$hive"
  done
}
expect_as_before() {
  local part
  for part in files HKLM HKCU; do
    diff "$work/before.$part" "$work/after.$part" >"$work/left.$part" ||
      fail "the uninstall left behind ($part): $(head -n 20 "$work/left.$part")"
  done
}

echo "== A new prefix on a virtual screen"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
poll 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"
begin=$(now_ms)
wineserver -p >>"$work/wine.log" 2>&1 </dev/null
wineboot -i >>"$work/wine.log" 2>&1 </dev/null || fail "wineboot failed"
run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
echo "prefix made in $(($(now_ms) - begin)) ms"

echo "== The setups: the current one signed with a certificate of the test's own"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Corvane test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>"$work/openssl.log" ||
  fail "openssl could not make a certificate: $(cat "$work/openssl.log")"
version=$(run "$build/tools/corvane-decode.exe" --version | awk '{ print $2 }')
setup=$(make_setup "$work/current" --sign "$work/cert.pem" "$work/key.pem" "${current_driver[@]}") ||
  fail "make-setup failed: $(cat "$work/make-setup.log")"
[ "$(basename "$setup")" = "corvane-setup-$version-x64.exe" ] ||
  fail "the setup is $(basename "$setup"), but --version prints $version"
! grep -q 'NOT signed' "$work/make-setup.log" || fail "make-setup said that the signed setup is unsigned"
old_setup=$(make_setup "$work/older" --version 0.0.1 "${stand_in[@]}") || fail "make-setup failed: $(cat "$work/make-setup.log")"
grep -q 'NOT signed' "$work/make-setup.log" || fail "make-setup did not say that the setup is unsigned"
signed() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1; }
signed "$setup" || fail "the setup's signature does not verify: $(cat "$work/verify.log")"
! signed "$old_setup" || fail "the unsigned setup is signed"
echo "$(basename "$setup"): $(stat -c %s "$setup") bytes"
snapshot before

echo "== An older version through its pages, with a driver that Windows does not load"
# The pages' window is "Corvane Setup" and more; Enter on each page until TEXT shows.
page_shows() { run "$probe_exe" texts "Corvane Setup" | grep -qF "$1"; }
next_until_page_shows() {
  local tries
  for tries in $(seq 1 120); do
    page_shows "$1" && return 0
    run "$probe_exe" next "Corvane Setup" >/dev/null
    sleep 0.5
  done
  return 1
}
CORVANE_STAND_IN_STATUS=1 wine "$old_setup" >"$work/setup.log" 2>&1 </dev/null &
setup_pid=$!
next_until_page_shows "The joystick driver did not load" || fail "no page said that the driver did not load"
page_shows "installed, not running (the stand-in was told to fail)" || fail "the page does not show what the driver tool said"
next_until_page_shows "Corvane has been installed on your computer" || fail "the setup did not finish after that page"
run "$probe_exe" next "Corvane Setup" >/dev/null
poll 10 bash -c "! kill -0 $setup_pid 2>/dev/null" || fail "\"Finish\" did not end the setup"
wait "$setup_pid" || fail "the setup ended with status $?"
echo "the setup told that the driver did not load, and finished"
[ -f "$install_dir/corvane.exe" ] || fail "the files were not installed when the driver did not load"
[ "$(value_of "$uninstall_key" DisplayVersion)" = 0.0.1 ] || fail "the older version is not registered"
[ "$(driver_calls)" = $'install C:\\Program Files\\Corvane\\driver\nstatus' ] ||
  fail "the setup did not install the driver from its folder and ask for its status"
: >"$work/driver-calls.log"
# The user's settings: input starts with the program, at a volume of their own.
store InputAutoStart REG_DWORD 1
store InputVolume REG_DWORD 12288

echo "== The current version over it"
install "$setup"
echo "installed over the older version in $took_ms ms"
kept() { [ "$(value_of "$settings_key" InputAutoStart)" = 0x1 ] && [ "$(value_of "$settings_key" InputVolume)" = 0x3000 ]; }
kept || fail "the upgrade did not keep the settings: $(query "$settings_key")"
for file in corvane.exe corvane-decode.exe corvane-siggen.exe README.md copyright.txt uninstall.exe \
  driver/corvane_bus.sys driver/corvane_hid.sys driver/corvane_bus.inf driver/corvane_joystick.inf \
  driver/corvane.cat driver/corvane-driver.exe; do
  [ -f "$install_dir/$file" ] || fail "$file was not installed"
done
cmp -s "$install_dir/copyright.txt" "$root/packaging/debian/copyright" || fail "copyright.txt is not the package's"
for value in "DisplayName Corvane" "DisplayVersion $version" "Publisher The Corvane developers" \
  'DisplayIcon "C:\Program Files\Corvane\corvane.exe",0' \
  'UninstallString "C:\Program Files\Corvane\uninstall.exe"' \
  'QuietUninstallString "C:\Program Files\Corvane\uninstall.exe" /S'; do
  [ "$(value_of "$uninstall_key" "${value%% *}")" = "${value#* }" ] ||
    fail "not registered: ${value%% *} = ${value#* }; the key holds: $(query "$uninstall_key")"
done
size_kb=$(($(value_of "$uninstall_key" EstimatedSize)))
files_kb=$(($(du -sk --apparent-size "$install_dir" | cut -f1)))
[ "$size_kb" -ge $((files_kb - 16)) ] && [ "$size_kb" -le $((files_kb + 16)) ] ||
  fail "the registered size is $size_kb KiB, the files take $files_kb KiB"
[ "$(value_of "$run_key" Corvane)" = '"C:\Program Files\Corvane\corvane.exe"' ] ||
  fail "Corvane does not start at sign-in: $(query "$run_key")"
if [ -z "$check_exe" ]; then
  [ "$(driver_calls)" = $'install C:\\Program Files\\Corvane\\driver\nstatus' ] ||
    fail "the upgrade did not install the driver"
else
  restart_wine
  status=$(run "$install_dir/driver/corvane-driver.exe" status) ||
    fail "the joystick bus does not run after the install and a restart: $status"
fi
for file in "${programs[@]}"; do
  info=$(run "$probe_exe" version "Z:$file") || fail "$(basename "$file") has no version information"
  [ "${info%|*}" = "Corvane|The Corvane developers|$version" ] ||
    fail "$(basename "$file")'s version information says $info"
  [ "${info##*|}" -ge 1 ] || fail "$(basename "$file") has no icon"
done
for file in corvane.exe corvane-decode.exe corvane-siggen.exe uninstall.exe driver/corvane-driver.exe; do
  signed "$install_dir/$file" || fail "the installed $file is not signed: $(cat "$work/verify.log")"
done
# The stand-in tool has no version information; the real one has.
programs=("$setup" "$install_dir/corvane.exe" "$install_dir/corvane-decode.exe" "$install_dir/corvane-siggen.exe"
          "$install_dir/uninstall.exe")
[ -n "$check_exe" ] && programs+=("$install_dir/driver/corvane-driver.exe")
echo "the files, keys, signatures, version information and icons are where the setup puts them"

echo "== Corvane from the Start menu, recording a signal"
start_sound_server || fail "the sound server did not start"
use_sound_server
positions=100,200,300,400,600,700,800,900
run "$build/tools/corvane-siggen.exe" --raw --format pcm1024 --positions "$positions" --duration 60 \
  "Z:$work/signal.raw" >/dev/null || fail "corvane-siggen failed"
"${sink_player[@]}" "$work/signal.raw" &
player=$!
target=$(run "$probe_exe" shortcut "$shortcut") || fail "no Start menu shortcut $shortcut"
[ "$target" = 'C:\Program Files\Corvane\corvane.exe' ] || fail "the shortcut starts $target"
wine "$target" >"$work/corvane.log" 2>&1 </dev/null &
corvane=$!
tray_shown() { [ -n "$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null)" ]; }
poll 30 tray_shown || fail "Corvane started from the shortcut shows no tray icon"
echo "the tray icon is shown"
if [ -n "$check_exe" ]; then
  # The joystick state of the signal, as corvane-decode reports it, against DirectInput's.
  run "$build/tools/corvane-decode.exe" --raw --mode pcm1024 --json "Z:$work/signal.raw" >"$work/decoded.json" ||
    fail "corvane-decode failed"
  report_of() { grep -o '"report": *"[0-9a-fA-F]*"' | tail -n 1 | grep -o '[0-9a-fA-F]\{16,\}'; }
  expected=$(report_of <"$work/decoded.json")
  [ -n "$expected" ] || fail "corvane-decode reported no state"
  dinput_shows_signal() {
    run "$check_exe" read --via dinput --states 2 --timeout 10 >"$work/dinput.json"
    grep -o '"report": *"[0-9a-fA-F]*"' "$work/dinput.json" | grep -qi "$expected"
  }
  poll 30 dinput_shows_signal ||
    fail "DirectInput does not read the signal's state $expected: $(cat "$work/dinput.json")"
  echo "DirectInput reads the joystick state of the signal played"
fi

echo "== Uninstall, keeping the settings"
: >"$work/driver-calls.log"
uninstall
echo "uninstalled in $took_ms ms"
poll 10 bash -c "! kill -0 $corvane 2>/dev/null" || fail "the uninstaller did not end the running Corvane"
corvane=""
kill "$player" 2>/dev/null
player=""
if [ -z "$check_exe" ]; then
  [ "$(driver_calls)" = remove ] || fail "the uninstaller did not remove the driver"
else
  run "$check_exe" gone --timeout 10 >/dev/null || fail "the joystick is still there after the uninstall"
  for key in Enum Services Control\\Class; do
    run reg export "HKLM\\System\\CurrentControlSet\\$key" "Z:$work/system.reg" /y >/dev/null
    ! iconv -f UTF-16 -t UTF-8 "$work/system.reg" | grep -i -e corvane -e kestrovan ||
      fail "the uninstall left the driver's keys under $key"
  done
fi
kept || fail "the uninstaller removed the settings"
snapshot after
expect_as_before
echo "nothing is left but the settings"

echo "== Uninstall with \"Also remove my settings\""
# The removed driver's image stays loaded until the prefix restarts.
[ -n "$check_exe" ] && restart_wine
install "$setup"
uninstall /RemoveSettings
query "$settings_key" >/dev/null && fail "the settings are still there: $(query "$settings_key")"
snapshot after
expect_as_before
echo "nothing is left"
echo "PASS"

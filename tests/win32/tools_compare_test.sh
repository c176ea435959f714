#!/usr/bin/env bash
# The Windows tools print what the Linux tools print: the same test signals from both
# signal generators, and the same lines from both decoders for the same recordings
# (Windows ends its lines with CR LF; the lines are compared without it).
# Usage: tools_compare_test.sh LINUX_TOOLS_DIR WINDOWS_SIGGEN WINDOWS_DECODE
set -euo pipefail
linux=$1
win_siggen=$2
win_decode=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Compares two outputs; both are kept in $work for the message.
same() {  # WHAT LINUX_FILE WINDOWS_FILE
  tr -d '\r' <"$3" >"$3.lines"
  if ! cmp -s "$2" "$3.lines"; then
    fail "$1 differs"
    diff "$2" "$3.lines" | head -n 6
  fi
}

positions=0,1023,100,900,512,511,333,777
signals=(
  "pcm:--positions $positions --duration 2 --snr 25 --drift 300"
  "pcm-impaired:--positions 10,20,30,40,50,60,70,80 --duration 1.5 --snr 12 --invert --highpass 20 --lowpass 9000"
  "spcm:--format spcm --positions $positions --duration 1.5 --snr 20 --drift -400"
)
for entry in "${signals[@]}"; do
  name=${entry%%:*}
  # shellcheck disable=SC2086
  args=(${entry#*:})
  "$linux/corvane-siggen" "${args[@]}" "$work/$name.wav"
  wine "$win_siggen" "${args[@]}" "$work/$name-win.wav" </dev/null >"$work/siggen.out" 2>&1 || fail "$name: siggen.exe failed"
  cmp -s "$work/$name.wav" "$work/$name-win.wav" || fail "$name: the two signal generators differ"

  mode=pcm1024
  [ "$name" = spcm ] && mode=spcm
  "$linux/corvane-decode" --mode $mode --json "$work/$name.wav" >"$work/$name.json"
  [ -s "$work/$name.json" ] || fail "$name: nothing decoded"
  wine "$win_decode" --mode $mode --json "$work/$name.wav" </dev/null >"$work/$name-win.json" 2>"$work/err" ||
    fail "$name: decode.exe failed: $(cat "$work/err")"
  same "$name: JSON lines" "$work/$name.json" "$work/$name-win.json"
done

# Raw samples through standard input, decoded as a table with a map.
"$linux/corvane-decode" --raw --map 7,6,5,4,3,2,1,0,1,1 - <"$work/pcm.wav" >"$work/table.txt"
wine "$win_decode" --raw --map 7,6,5,4,3,2,1,0,1,1 - <"$work/pcm.wav" >"$work/table-win.txt" 2>"$work/err" ||
  fail "raw table: decode.exe failed: $(cat "$work/err")"
same "table from standard input" "$work/table.txt" "$work/table-win.txt"

# --joystick without the joystick driver: one line says so, and decoding goes on.
wine "$win_decode" --json --joystick "$work/pcm.wav" </dev/null >"$work/joystick.json" 2>"$work/joystick.err" ||
  fail "--joystick without the driver: status $?"
same "--joystick without the driver: JSON lines" "$work/pcm.json" "$work/joystick.json"
grep -q "no virtual joystick: .* is not installed" "$work/joystick.err" || fail "--joystick: $(cat "$work/joystick.err")"
[ "$(wc -l <"$work/joystick.err")" -eq 1 ] || fail "--joystick without the driver: not one line"

# A bad input: the same one line, and status 1.
status=0
wine "$win_decode" "$work/missing.wav" </dev/null >/dev/null 2>"$work/missing.err" || status=$?
[ "$status" = 1 ] || fail "missing file: status $status"
grep -q "missing.wav: cannot open: No such file or directory" "$work/missing.err" || fail "missing file: $(cat "$work/missing.err")"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "Windows tools: same output as the Linux tools"

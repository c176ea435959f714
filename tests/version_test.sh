#!/usr/bin/env bash
# Every program prints the project's version with --version, without a display and
# whatever else is on its command line.
# Usage: version_test.sh VERSION PROGRAM...
set -euo pipefail
version=$1
shift
failures=0
for program in "$@"; do
  name=$(basename "$program")
  for args in "--version" "--mode spcm --version no-such-file.wav"; do
    # shellcheck disable=SC2086
    if ! out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" $args 2>&1); then
      echo "FAIL: $name $args: exit status not 0: $out"
      failures=$((failures + 1))
    elif [ "$out" != "$name $version" ]; then
      echo "FAIL: $name $args: printed '$out', not '$name $version'"
      failures=$((failures + 1))
    fi
  done
done
[ "$failures" -eq 0 ] || exit 1
echo "version: all checks passed"

#!/usr/bin/env bash
# A configure for a system other than Linux and Windows stops, and says why in one line.
# Usage: other_system_test.sh CMAKE SOURCE_DIR
set -euo pipefail
cmake=$1
source_dir=$2
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
status=0
out=$("$cmake" -S "$source_dir" -B "$build" -DCMAKE_SYSTEM_NAME=Darwin 2>&1) || status=$?
if [ "$status" -eq 0 ]; then
  echo "FAIL: configuring for Darwin succeeded"
  exit 1
fi
if ! grep -qx "  Corvane builds for Linux and Windows only, not for Darwin." <<<"$out"; then
  printf '%s\n' "$out"
  echo "FAIL: no line naming the two platforms and the system asked for"
  exit 1
fi
echo "configuring for Darwin stops: Corvane builds for Linux and Windows only"

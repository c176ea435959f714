#!/usr/bin/env bash
# The manual pages format without a warning from man, and each describes every option its
# program's --help lists.
# Usage: man_pages_test.sh PAGE [PROGRAM] ...   (PAGE alone: formatting only)
set -euo pipefail
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

while [ $# -gt 0 ]; do
  page=$1
  program=
  if [ $# -gt 1 ] && [[ $2 != *.1 ]]; then program=$2; shift; fi
  shift
  name=$(basename "$page")
  if command -v man >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$name: man warns: $warnings"
  else
    echo "man is not installed: $name is not checked for formatting"
  fi
  [ -n "$program" ] || continue
  for option in $("$program" --help | grep -o -- '--[a-z0-9][a-z0-9-]*' | sort -u); do
    # In the page's source every - of an option is written \-.
    grep -qF -- "${option//-/\\-}" "$page" || fail "$name does not describe $option"
  done
done
[ "$failures" -eq 0 ] || exit 1
echo "man pages: all checks passed"

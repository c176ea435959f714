#!/usr/bin/env bash
# The Debian package as a user gets it: lintian finds no error in it; apt-get installs it
# with the dependencies it names; the installed programs and manual pages work; removing
# and purging it leaves no file behind. The package is installed on this machine for
# real, so the test refuses to start when corvane is installed already, and removes the
# package again whatever happens.
# Usage: package_test.sh DEB   (as root or with sudo; lintian and man installed)
set -euo pipefail
deb=$(realpath "$1")
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
status() { dpkg-query -W -f='${db:Status-Status}' corvane 2>/dev/null || echo not-installed; }
installed() { [ "$(status)" = installed ]; }
known() { [ "$(status)" != not-installed ]; }
# Other installs on this machine may hold dpkg's lock for a while.
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@" >/dev/null; }

if known; then
  echo "corvane is installed on this machine already: this test installs and removes the package,"
  echo "so remove it first (apt-get purge corvane), or leave the test out with CORVANE_PACKAGE_TEST=0."
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"; if known; then $sudo dpkg --purge corvane >/dev/null; fi' EXIT

version=$(dpkg-deb -f "$deb" Version)
echo "== $(basename "$deb"): version $version"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
  fail "Depends does not name the Qt libraries: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q 'libasound2' || fail "Depends does not name libasound2"
# The files the package holds (not its folders, which other packages may share).
mapfile -t files < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|')

echo "== lintian"
lintian -I --fail-on error "$deb" || fail "lintian reports errors"

echo "== apt-get install $deb"
apt_get install --no-install-recommends "$deb" || fail "apt-get install"
installed || { fail "corvane is not installed"; exit 1; }
for file in "${files[@]}"; do [ -e "$file" ] || fail "$file is not installed"; done
# Again, as dpkg ran it: where there is no udev or uinput it says nothing and succeeds.
if ! out=$($sudo sh -e /var/lib/dpkg/info/corvane.postinst configure 2>&1) || [ -n "$out" ]; then
  fail "postinst configure was not quiet or failed: $out"
fi

/usr/bin/corvane-decode --help | grep -q -- '--capture' || fail "installed corvane-decode --help"
for program in corvane corvane-decode corvane-siggen; do
  out=$(/usr/bin/$program --version) || fail "installed $program --version: exit status"
  [ "$out" = "$program $version" ] || fail "installed $program --version printed '$out', not '$program $version'"
done
# The headless service: its command line is the installed tool with options it takes.
unit=/usr/lib/systemd/user/corvane-decode@.service
exec_start=$(sed -n 's/^ExecStart=//p' "$unit" 2>/dev/null) || true
[[ $exec_start == "/usr/bin/corvane-decode --capture --wait --joystick --mode %i "* ]] ||
  fail "$unit: ExecStart is '$exec_start'"
if command -v systemd-analyze >/dev/null; then
  # The instance ppm; verify needs the unit under an instance's name. It reads the unit
  # as the system manager would: the user manager needs a session this test may lack.
  cp "$unit" "$work/corvane-decode@ppm.service"
  out=$(systemd-analyze verify "$work/corvane-decode@ppm.service" 2>&1) ||
    fail "systemd-analyze verify corvane-decode@ppm.service: $out"
fi
page=$(man -w corvane-decode) || fail "man -w corvane-decode finds no page"
[ "$page" = /usr/share/man/man1/corvane-decode.1.gz ] || fail "man -w corvane-decode: $page"

echo "== apt-get remove corvane"
apt_get remove corvane || fail "apt-get remove"
for file in "${files[@]}"; do [ ! -e "$file" ] || fail "$file is left after remove"; done
# A package without configuration files is forgotten on removal; else purge forgets it.
if known; then $sudo dpkg --purge corvane >/dev/null || fail "dpkg --purge"; fi
known && fail "dpkg still knows corvane after purge"
for left in /usr/share/doc/corvane /var/lib/dpkg/info/corvane.*; do
  [ ! -e "$left" ] || fail "$left is left after purge"
done

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "package: all checks passed"

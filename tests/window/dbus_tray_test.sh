#!/usr/bin/env bash
# The real tray program with a D-Bus tray: on a private session bus, a
# StatusNotifierWatcher that reports a registered host; the program registers its item
# and exports its menu, a left click opens nothing, "Property" shows the window and
# "Exit" ends the program.
#
# Usage: dbus_tray_test.sh PROGRAM STATUS_NOTIFIER_SCRIPT
# Exit status 77 (skipped) only where the tools are missing, and never in CI.
set -uo pipefail
program=$1
notifier=$2
here=$(dirname "$0")

# The whole test on a session bus of its own, which ends with it.
if [ -z "${CORVANE_PRIVATE_BUS:-}" ] && command -v dbus-run-session >/dev/null; then
  CORVANE_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

source "$here/x_session.sh"
require Xvfb xdotool dbus-run-session
/usr/bin/python3 -c 'import dbus, dbus.mainloop.glib, gi' 2>/dev/null || skip "python3-dbus or python3-gi is not installed"

start_xvfb 1280x1024

/usr/bin/python3 "$notifier" watch "$work/items" >"$work/watcher.log" 2>&1 &
started+=($!)
poll 10 test -e "$work/items" || fail "the StatusNotifierWatcher did not start"

"$program" >"$work/corvane.log" 2>&1 &
pid=$!
started+=("$pid")
poll 10 test -s "$work/items" || fail "the program registered no StatusNotifierItem"
read -r service path <"$work/items"
echo "item $service $path"
[ -z "$(visible_windows "$pid")" ] || fail "a window is visible at start"

menu=$(/usr/bin/python3 "$notifier" menu "$service" "$path") || fail "cannot read the item's menu"
[ "$menu" = $'Property\n-\nExit' ] || fail "the menu is: $(echo $menu)"

# A left click opens nothing.
/usr/bin/python3 "$notifier" activate "$service" "$path" || fail "cannot activate the item"
sleep 0.5
[ -z "$(visible_windows "$pid")" ] || fail "activating the item (a left click) opened a window"

/usr/bin/python3 "$notifier" click "$service" "$path" Property || fail "cannot click \"Property\""
poll 10 property_window "$pid" >/dev/null || fail "\"Property\" did not show the window"

/usr/bin/python3 "$notifier" click "$service" "$path" Exit || fail "cannot click \"Exit\""
expect_end "$pid" 0 "\"Exit\""
poll 5 bash -c "! test -s '$work/items'" || fail "the item is still registered"
grep -q "no tray icons" "$work/corvane.log" && fail "the program says there is no tray"
echo "PASS"

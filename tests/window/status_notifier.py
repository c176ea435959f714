#!/usr/bin/python3
"""A tray host's side of the D-Bus tray, for the tray tests.

  status_notifier.py watch FILE
      Serves org.kde.StatusNotifierWatcher on the session bus and reports a registered
      host. Each item that registers is written to FILE as "SERVICE PATH" (the file is
      replaced whole); an item whose owner leaves the bus empties it.
  status_notifier.py menu SERVICE PATH
      Prints the item's menu (com.canonical.dbusmenu.GetLayout), one label a line; a
      separator prints as "-".
  status_notifier.py click SERVICE PATH LABEL
      Sends a "clicked" event to the menu item with that label.
  status_notifier.py activate SERVICE PATH
      Activates the item as a host does on a left click.
"""

import os
import sys
import time

import dbus
import dbus.service

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPERTIES = "org.freedesktop.DBus.Properties"

# Qt reads IsStatusNotifierHostRegistered through introspection, so the properties must
# be declared here; dbus-python declares only methods and signals by itself.
WATCHER_INTROSPECTION = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="xml" type="s" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get">
      <arg name="interface" type="s" direction="in"/>
      <arg name="name" type="s" direction="in"/>
      <arg name="value" type="v" direction="out"/>
    </method>
    <method name="GetAll">
      <arg name="interface" type="s" direction="in"/>
      <arg name="values" type="a{sv}" direction="out"/>
    </method>
  </interface>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
    <signal name="StatusNotifierHostUnregistered"/>
  </interface>
</node>
"""


class Watcher(dbus.service.Object):
    def __init__(self, bus, report):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.bus = bus
        self.report = report
        self.items = {}  # owner's unique name -> "SERVICE PATH"
        bus.add_signal_receiver(self.owner_changed, "NameOwnerChanged", "org.freedesktop.DBus")

    def write_report(self):
        temporary = self.report + ".new"
        with open(temporary, "w") as out:
            for item in self.items.values():
                out.write(item + "\n")
        os.replace(temporary, self.report)

    def owner_changed(self, name, old, new):
        if not new and name in self.items:
            item = self.items.pop(name)
            self.StatusNotifierItemUnregistered(item.split()[0])
            self.write_report()

    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return WATCHER_INTROSPECTION

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item names its bus name, or only its object path on the sender's connection.
        if service.startswith("/"):
            item = f"{sender} {service}"
        else:
            item = f"{service} /StatusNotifierItem"
        self.items[sender] = item
        self.write_report()
        self.StatusNotifierItemRegistered(item.split()[0])

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(
                [item.split()[0] for item in self.items.values()], signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, service):
        pass

    @dbus.service.signal(WATCHER)
    def StatusNotifierHostRegistered(self):
        pass


def watch(report):
    import dbus.mainloop.glib
    from gi.repository import GLib

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus, report)
    name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
    watcher.write_report()  # an empty report says the watcher is up
    GLib.MainLoop().run()


def menu_of(service, path):
    bus = dbus.SessionBus()
    item = bus.get_object(service, path)
    menu_path = item.Get(ITEM, "Menu", dbus_interface=PROPERTIES)
    if menu_path == "/NO_DBUSMENU":
        sys.exit(f"the item {service} exports no menu")
    return dbus.Interface(bus.get_object(service, menu_path), MENU)


def entries(menu):
    """The menu's top-level entries as (id, label), a separator as (id, "-")."""
    _, (_, _, children) = menu.GetLayout(0, -1, dbus.Array([], signature="s"))
    for child in children:
        child_id, properties, _ = child
        if properties.get("type") == "separator":
            yield int(child_id), "-"
        else:
            yield int(child_id), str(properties.get("label", ""))


def main(args):
    if len(args) == 2 and args[0] == "watch":
        watch(args[1])
    elif len(args) == 3 and args[0] == "menu":
        for _, label in entries(menu_of(args[1], args[2])):
            print(label)
    elif len(args) == 4 and args[0] == "click":
        menu = menu_of(args[1], args[2])
        ids = [child_id for child_id, label in entries(menu) if label == args[3]]
        if not ids:
            sys.exit(f"no menu item {args[3]!r}")
        menu.Event(ids[0], "clicked", dbus.Int32(0), dbus.UInt32(int(time.time())),
                   signature="isvu")
    elif len(args) == 3 and args[0] == "activate":
        item = dbus.SessionBus().get_object(args[1], args[2])
        item.Activate(0, 0, dbus_interface=ITEM)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])

#!/usr/bin/env python3
"""A system tray of the tests' own on the session bus: a StatusNotifierWatcher with a host
registered, as desktop panels run one. It receives items' registrations and drives an item the
way a panel does, on commands read from standard input, one per line; each answer is one line of
JSON on standard output.

  layout           AboutToShow, then GetLayout of the item's exported menu: the top-level rows
  click ID         the "clicked" event of the row ID
  icon             the item's icon: its name and a digest of its pixmaps
  activate         the item's Activate (a left click on the icon)

It prints {"ready": true} once it owns the watcher's name, and {"registered": NAME} when an item
registers.
"""
import hashlib
import json
import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"


def say(answer):
    sys.stdout.write(json.dumps(answer, ensure_ascii=False) + "\n")
    sys.stdout.flush()


def plain(value):
    """D-Bus values as plain Python ones."""
    if isinstance(value, (dbus.Array, list)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.Int32, dbus.UInt32, dbus.Int64, dbus.Byte)):
        return int(value)
    if isinstance(value, dbus.String):
        return str(value)
    if isinstance(value, dbus.Struct):
        return [plain(v) for v in value]
    return value


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.bus = bus
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        if service.startswith("/"):
            name, path = sender, service
        else:
            name, path = service, "/StatusNotifierItem"
        self.items.append((name, path))
        self.StatusNotifierItemRegistered(name + path)
        say({"registered": name, "path": path})

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    # Qt reads the watcher's properties through an introspected interface: they must be listed.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return """<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
    <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg type="s" direction="out"/></method>
  </interface>
</node>"""

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(
                [n + p for n, p in self.items], signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    # Driving the newest item, as a panel would.
    def item(self):
        name, path = self.items[-1]
        return self.bus.get_object(name, path)

    def menu(self):
        item = self.item()
        path = item.Get(ITEM, "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
        return self.bus.get_object(self.items[-1][0], path)

    def command(self, line):
        words = line.split()
        if not words:
            return
        if not self.items:
            say({"error": "no item"})
            return
        if words[0] == "layout":
            menu = self.menu()
            menu.AboutToShow(dbus.Int32(0), dbus_interface=MENU)
            _, layout = menu.GetLayout(dbus.Int32(0), dbus.Int32(-1), dbus.Array([], signature="s"),
                                       dbus_interface=MENU)
            rows = []
            for child in layout[2]:
                row_id, properties = int(child[0]), plain(child[1])
                if properties.pop("icon-data", None) is not None:
                    properties["has-icon"] = True
                properties["id"] = row_id
                rows.append(properties)
            say({"layout": rows})
        elif words[0] == "click":
            self.menu().Event(dbus.Int32(int(words[1])), "clicked",
                              dbus.Int32(0, variant_level=1), dbus.UInt32(0), dbus_interface=MENU)
            say({"clicked": int(words[1])})
        elif words[0] == "icon":
            properties = self.item().GetAll(ITEM, dbus_interface=dbus.PROPERTIES_IFACE)
            pixmaps = b"".join(bytes(p[2]) for p in properties.get("IconPixmap", []))
            say({"icon": str(properties.get("IconName", "")),
                 "pixmaps": hashlib.sha256(pixmaps).hexdigest() if pixmaps else "",
                 "tooltip": plain(properties.get("ToolTip", []))})
        elif words[0] == "activate":
            self.item().Activate(dbus.Int32(0), dbus.Int32(0), dbus_interface=ITEM)
            say({"activated": True})
        else:
            say({"error": "unknown command"})


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    # The names are held as long as these objects live.
    names = [dbus.service.BusName(WATCHER, bus, do_not_queue=True),
             dbus.service.BusName("org.kde.StatusNotifierHost-%d" % os.getpid(), bus)]
    watcher.StatusNotifierHostRegistered()
    loop = GLib.MainLoop()

    def on_input(source, condition):
        line = sys.stdin.readline()
        if not line:
            loop.quit()
            return False
        try:
            watcher.command(line)
        except dbus.DBusException as error:
            say({"error": str(error)})
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_input)
    say({"ready": True})
    loop.run()
    del names


if __name__ == "__main__":
    main()

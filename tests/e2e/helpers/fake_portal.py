#!/usr/bin/env python3
"""A desktop portal of the tests' own on the session bus, offering the remote-desktop interface
as xdg-desktop-portal does: every request answers with a Response signal on its request object,
a moment later. The first Start is refused when FAKE_PORTAL_REFUSE_FIRST=1 (the user said no).
It prints, one line each: "ready" once it owns the portal's name, "start" for each Start, and
"key CODE STATE" for each keyboard key.
"""
import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PORTAL = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
REMOTE = "org.freedesktop.portal.RemoteDesktop"
REQUEST = "org.freedesktop.portal.Request"


def say(line):
    print(line, flush=True)


class Request(dbus.service.Object):
    @dbus.service.signal(REQUEST, signature="ua{sv}")
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.refuse = os.environ.get("FAKE_PORTAL_REFUSE_FIRST") == "1"
        self.sessions = 0

    def answer(self, sender, options, response, results):
        sender_part = sender[1:].replace(".", "_")
        path = "%s/request/%s/%s" % (PATH, sender_part, options["handle_token"])
        request = Request(self.bus, path)
        GLib.timeout_add(20, lambda: (request.Response(dbus.UInt32(response), results), False)[1])
        return dbus.ObjectPath(path)

    @dbus.service.method(REMOTE, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        self.sessions += 1
        session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"),
                                        options["session_handle_token"])
        return self.answer(sender, options, 0, {"session_handle": dbus.String(session)})

    @dbus.service.method(REMOTE, in_signature="oa{sv}", out_signature="o", sender_keyword="sender")
    def SelectDevices(self, session, options, sender=None):
        wanted = int(options.get("types", 0))
        return self.answer(sender, options, 0 if wanted & 1 else 2, {})

    @dbus.service.method(REMOTE, in_signature="osa{sv}", out_signature="o", sender_keyword="sender")
    def Start(self, session, parent, options, sender=None):
        say("start")
        if self.refuse:
            self.refuse = False
            return self.answer(sender, options, 1, {})
        return self.answer(sender, options, 0, {"devices": dbus.UInt32(1)})

    @dbus.service.method(REMOTE, in_signature="oa{sv}iu")
    def NotifyKeyboardKeycode(self, session, options, keycode, state):
        say("key %d %d" % (keycode, state))

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == REMOTE and name == "AvailableDeviceTypes":
            return dbus.UInt32(7)
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.InvalidArgs")


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(PORTAL, bus)
    portal = Portal(bus)
    say("ready")
    GLib.MainLoop().run()
    return name, portal


if __name__ == "__main__":
    sys.exit(main() and 0)

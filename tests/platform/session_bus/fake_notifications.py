#!/usr/bin/python3
"""A notification service on the session bus for the do-not-disturb tests.

The one argument says what its Inhibited property does: "true" or "false"
give that value, "none" answers that there is no such property, "silent"
never answers. Prints "ready" once it owns its name.
"""

import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

INTERFACE = "org.freedesktop.Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus, mode):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.mode = mode

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v",
                         async_callbacks=("reply", "fail"))
    def Get(self, interface, name, reply, fail):
        if self.mode == "silent":
            return
        if interface == INTERFACE and name == "Inhibited" and self.mode in ("true", "false"):
            reply(dbus.Boolean(self.mode == "true", variant_level=1))
            return
        fail(dbus.exceptions.DBusException(
            "no such property", name="org.freedesktop.DBus.Error.UnknownProperty"))


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(INTERFACE, bus)
    service = Notifications(bus, sys.argv[1])
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, service


if __name__ == "__main__":
    main()

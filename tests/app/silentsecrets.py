#!/usr/bin/python3
"""A Secret Service that never answers: owns org.freedesktop.secrets on the session bus and
swallows every call, as a hung keyring daemon does. Prints "ready" once the name is owned."""
import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib


class Silent(dbus.service.FallbackObject):
    # Every message to every path lands here and is never replied to.
    def _message_cb(self, connection, message):
        pass


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.secrets", bus)
silent = Silent(bus, "/")
print("ready", flush=True)
GLib.MainLoop().run()

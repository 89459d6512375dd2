#!/usr/bin/python3
"""A tray host for the tests on the session bus: owns org.kde.StatusNotifierWatcher, records
the items that come and go, and acts on the one item as a desktop's tray would.
Out, a JSON object a line: {"event": "ready" | "registered" | "unregistered"}, or the answer
to a command in: "items", "tooltip", "activate" (a left click), "menu LABEL" (a click on it).
"""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPERTIES = "org.freedesktop.DBus.Properties"

INTROSPECTION = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
 </interface>
</node>"""


def say(**fields):
    print(json.dumps(fields), flush=True)


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.bus = bus
        self.items = {}  # "service/path" as announced -> (bus name, object path)
        bus.add_signal_receiver(self.owner_changed, "NameOwnerChanged",
                                "org.freedesktop.DBus", "org.freedesktop.DBus",
                                "/org/freedesktop/DBus")

    # Qt asks for the interface's properties through introspection.
    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        if service.startswith("/"):
            name, path = sender, service
        else:
            name, path = service, "/StatusNotifierItem"
        key = name + path
        self.items[key] = (name, path)
        say(event="registered", service=key)
        self.StatusNotifierItemRegistered(key)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, service):
        pass

    def properties(self):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(list(self.items), signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties()[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties()

    def owner_changed(self, name, old, new):
        if new:
            return
        for key, (owner, _) in list(self.items.items()):
            if owner == name:
                del self.items[key]
                say(event="unregistered", service=key)
                self.StatusNotifierItemUnregistered(key)

    def only_item(self):
        if len(self.items) != 1:
            raise RuntimeError("%d items registered" % len(self.items))
        name, path = next(iter(self.items.values()))
        return self.bus.get_object(name, path)


def labels_of(layout, found):
    item_id, properties, children = layout
    if "label" in properties:
        found.append((str(properties["label"]), int(item_id)))
    for child in children:
        labels_of(child, found)
    return found


def run(watcher, line):
    command, _, argument = line.strip().partition(" ")
    try:
        if command == "items":
            say(answer="items", services=sorted(watcher.items))
        elif command == "tooltip":
            item = watcher.only_item()
            _, _, title, text = item.Get(ITEM, "ToolTip", dbus_interface=PROPERTIES)
            say(answer="tooltip", title=str(title), text=str(text))
        elif command == "activate":
            watcher.only_item().Activate(0, 0, dbus_interface=ITEM)
            say(answer="activate", ok=True)
        elif command == "menu":
            item = watcher.only_item()
            path = item.Get(ITEM, "Menu", dbus_interface=PROPERTIES)
            menu = watcher.bus.get_object(item.bus_name, path)
            menu.AboutToShow(0, dbus_interface=MENU)
            _, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU)
            found = labels_of(layout, [])
            clicked = next((i for label, i in found if label == argument), None)
            if clicked is not None:
                menu.Event(clicked, "clicked", dbus.Int32(0), dbus.UInt32(0),
                           dbus_interface=MENU, signature="isvu")
            say(answer="menu", labels=[label for label, _ in found], clicked=clicked)
        else:
            say(answer=command, error="unknown command")
    except (dbus.DBusException, RuntimeError) as error:
        say(answer=command, error=str(error))


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    if bus.request_name(WATCHER) != dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
        say(event="error", error="the watcher's name is taken")
        return 1
    loop = GLib.MainLoop()

    def read(source, condition):
        line = sys.stdin.readline()
        if not line:
            loop.quit()
            return False
        run(watcher, line)
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, read)
    say(event="ready")
    loop.run()
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Types on a GNOME Shell through Mutter's remote-desktop interface, the path a keyboard takes.
The session lives as long as this process (it ends with the bus connection that made it).

Reads one chord per line ("ctrl v", "escape", "ctrl shift v"), "held CHORD" to keep the keys
down a fifth of a second as a person does, or "text WORDS" to type the words' characters;
prints "typed" once Mutter took each.
"""
import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

NAMED = {
    "ctrl": 0xFFE3, "shift": 0xFFE1, "alt": 0xFFE9, "super": 0xFFEB,
    "escape": 0xFF1B, "return": 0xFF0D, "space": 0x20,
}

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
service = "org.gnome.Mutter.RemoteDesktop"
remote = Gio.DBusProxy.new_sync(bus, 0, None, service, "/org/gnome/Mutter/RemoteDesktop", service, None)
path = remote.call_sync("CreateSession", None, 0, -1, None).unpack()[0]
session = Gio.DBusProxy.new_sync(bus, 0, None, service, path, service + ".Session", None)
session.call_sync("Start", None, 0, -1, None)
print("ready", flush=True)


def key(keysym, pressed):
    session.call_sync("NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, pressed)), 0, -1, None)


for line in sys.stdin:
    line = line.rstrip("\n")
    if line.startswith("text "):
        for character in line[5:]:
            keysym = NAMED["space"] if character == " " else ord(character)
            key(keysym, True)
            key(keysym, False)
    else:
        held = line.startswith("held ")
        if held:
            line = line[5:]
        keysyms = [NAMED.get(name, ord(name[0]) if len(name) == 1 else 0) for name in line.split()]
        for keysym in keysyms:
            key(keysym, True)
        if held:
            time.sleep(0.2)
        for keysym in reversed(keysyms):
            key(keysym, False)
    print("typed", flush=True)

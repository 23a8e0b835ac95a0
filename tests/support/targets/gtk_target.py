#!/usr/bin/python3
"""A real GTK application to paste into, as the Qt paste target is: one text widget that starts
with the text given, all selected. Return (F2 in a text view, where Return is a new line)
prints the widget's text and quits.

With TOVRA_TARGET_REPORT_CHANGES set, every change of the text is printed too, as a JSON
string on a line of its own: where no test keyboard can type the finishing key (Wayland); and
"<focused>" each time the window takes the keyboard.

Usage: gtk_target.py 3|4 entry|textview|label [initial text]
"""
import json
import os
import sys

import gi

version, widget_kind = sys.argv[1], sys.argv[2]
initial = sys.argv[3] if len(sys.argv) > 3 else ""
gi.require_version("Gtk", version + ".0")
gi.require_version("Gdk", version + ".0")
from gi.repository import GLib, Gdk, Gtk  # noqa: E402

GTK3 = version == "3"


def finish(text):
    print(text, flush=True)
    if GTK3:
        Gtk.main_quit()
    else:
        loop.quit()


REPORT_CHANGES = bool(os.environ.get("TOVRA_TARGET_REPORT_CHANGES"))


def report(text):
    if REPORT_CHANGES:
        print(json.dumps(text), flush=True)


def build_entry():
    entry = Gtk.Entry()
    entry.set_text(initial)
    entry.connect("changed", lambda e: report(e.get_text()))
    entry.connect("activate", lambda e: finish(e.get_text()))
    return entry, lambda: entry.select_region(0, -1)


def build_text_view():
    view = Gtk.TextView()
    buffer = view.get_buffer()
    buffer.set_text(initial)
    buffer.connect(
        "changed", lambda b: report(b.get_text(b.get_start_iter(), b.get_end_iter(), True)))

    def on_key(keyval):
        if keyval == Gdk.KEY_F2:
            finish(buffer.get_text(buffer.get_start_iter(), buffer.get_end_iter(), True))
            return True
        return False

    if GTK3:
        view.connect("key-press-event", lambda v, event: on_key(event.keyval))
    else:
        keys = Gtk.EventControllerKey()
        keys.connect("key-pressed", lambda c, keyval, code, state: on_key(keyval))
        view.add_controller(keys)
    return view, lambda: buffer.select_range(buffer.get_start_iter(), buffer.get_end_iter())


def build_label():
    # No text widget at all: Ctrl+V reaches the window and nothing asks for the clipboard.
    return Gtk.Label(label="Nothing to paste into"), lambda: None


builders = {"entry": build_entry, "textview": build_text_view, "label": build_label}
widget, select_all = builders[widget_kind]()
title = "Paste target GTK %s %s" % (version, widget_kind)
if GTK3:
    window = Gtk.Window(title=title)
    window.add(widget)
    window.connect("destroy", Gtk.main_quit)
else:
    window = Gtk.Window(title=title)
    window.set_child(widget)
    loop = GLib.MainLoop()
    window.connect("close-request", lambda w: loop.quit())
window.set_default_size(400, 80)
# Once it has the keyboard, where no test can ask the desktop (GNOME).
window.connect("notify::is-active", lambda w, _: w.is_active() and report("<focused>"))
if GTK3:
    window.show_all()
else:
    window.present()
widget.grab_focus()
select_all()
if GTK3:
    Gtk.main()
else:
    loop.run()

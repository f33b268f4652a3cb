"""A stand-in for a file manager: one window whose label drags the files named
on the command line as text/uri-list, as a file manager does.

    python3 drag_source.py FILE...
"""
import sys
import urllib.parse

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

uris = ["file://" + urllib.parse.quote(path) for path in sys.argv[1:]]

window = Gtk.Window(title="Files to drop")
box = Gtk.EventBox()
box.add(Gtk.Label(label="Drag these files"))
box.set_size_request(240, 120)
box.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
box.drag_source_add_uri_targets()
box.connect("drag-data-get", lambda w, ctx, data, info, time: data.set_uris(uris))
window.add(box)
window.connect("destroy", Gtk.main_quit)
window.move(0, 0)
window.show_all()
Gtk.main()

#!/usr/bin/python3
# A GTK 3 window of another process for end-to-end tests: one text entry that takes the
# keyboard focus and reports on standard output what it receives, like TextTarget.cpp:
#   field X Y W H   the entry's rectangle on the screen (display pixels), once it is shown
#   text T          the entry's whole text after every change (backslashes as \\, line
#                   breaks as \n)
import gi

gi.require_version("Gtk", "3.0")
from gi.repository import GLib, Gtk  # noqa: E402


def report(line):
    print(line, flush=True)


window = Gtk.Window(title="Tessaly GTK test target")
window.set_default_size(420, 80)
window.move(200, 300)
entry = Gtk.Entry()
window.add(entry)
window.connect("destroy", Gtk.main_quit)
entry.connect(
    "changed",
    lambda e: report("text " + e.get_text().replace("\\", "\\\\").replace("\n", "\\n")),
)
window.show_all()
entry.grab_focus()


def report_field():
    toplevel = window.get_window()
    if toplevel is None or not entry.get_mapped() or not toplevel.is_viewable():
        return True
    _, left, top = toplevel.get_origin()
    x, y = entry.translate_coordinates(window, 0, 0)
    allocation = entry.get_allocation()
    report(f"field {left + x} {top + y} {allocation.width} {allocation.height}")
    return False


GLib.timeout_add(50, report_field)
Gtk.main()

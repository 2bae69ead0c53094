#!/usr/bin/python3
# What a screen reader learns of velmora over AT-SPI.
# listen LOG: until LOG.stop appears, writes each text, name, description and
#   value event of the program as "EVENT<TAB>ROLE<TAB>DETAIL", one a line (the
#   detail of a name event is the object's name); LOG.ready appears once it listens.
# inspect: prints each text box, password box and status line of the program
#   as "ROLE<TAB>NAME<TAB>DESCRIPTION<TAB>TEXT<TAB>CHARACTERS", one a line
#   (TEXT: the first 8 characters the text interface gives).
import os, sys, threading, time
import pyatspi
from gi.repository import GLib

def ours(app):
    return app is not None and app.name.lower() == "velmora"

def listen(log):
    out = open(log, "w", buffering=1)
    def record(event):
        try:
            if ours(event.host_application):
                # Qt hands over the object for a change of name: the name is what is heard.
                detail = event.source.name if event.type.endswith("accessible-name") else event.any_data
                out.write("%s\t%s\t%r\n" % (event.type, event.source.getRoleName(), detail))
        except Exception as e:  # the object is gone meanwhile
            out.write("error\t\t%r\n" % e)
    for kind in ("object:text-changed", "object:text-selection-changed", "object:property-change:accessible-name",
                 "object:property-change:accessible-description", "object:property-change:accessible-value"):
        pyatspi.Registry.registerEventListener(record, kind)
    def stop_when_asked():
        while not os.path.exists(log + ".stop"):
            time.sleep(0.05)
        GLib.idle_add(pyatspi.Registry.stop)
    threading.Thread(target=stop_when_asked, daemon=True).start()
    GLib.idle_add(lambda: open(log + ".ready", "w").close())
    pyatspi.Registry.start()

def inspect():
    for app in filter(ours, pyatspi.Registry.getDesktop(0)):
        for o in pyatspi.findAllDescendants(app, lambda o: o.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_STATUS_BAR)):
            try:
                text = o.queryText()
                shown, count = text.getText(0, 8), text.characterCount
            except NotImplementedError:
                shown, count = "", 0
            print("%s\t%s\t%s\t%s\t%d" % (o.getRoleName(), o.name, o.description, shown, count))

if __name__ == "__main__":
    listen(sys.argv[2]) if sys.argv[1] == "listen" else inspect()

#!/usr/bin/python3
# What a screen reader learns of velmora over AT-SPI. Usage: atspi_probe.py LOG
# LOG.ready appears once it listens. Until LOG.stop appears it writes each
# text, name, description and value event of the program to LOG as
# "EVENT<TAB>ROLE<TAB>DETAIL" (the detail of a name event is the object's
# name); then each text box, password box and status line to LOG.objects as
# "ROLE<TAB>NAME<TAB>DESCRIPTION<TAB>TEXT (its first 8 characters)<TAB>CHARACTERS".
import os, sys, threading, time
import pyatspi
from gi.repository import GLib

log = sys.argv[1]
out = open(log, "w", buffering=1)

def ours(app):
    return app is not None and app.name.lower() == "velmora"

def record(event):
    try:
        if ours(event.host_application):
            # Qt hands over the object for a change of name: the name is what is heard.
            detail = event.source.name if event.type.endswith("accessible-name") else event.any_data
            out.write("%s\t%s\t%r\n" % (event.type, event.source.getRoleName(), detail))
    except Exception as e:  # the object is gone meanwhile
        out.write("error\t\t%r\n" % e)

def describe(o):
    try:
        text = o.queryText()
        shown, count = text.getText(0, 8), text.characterCount
    except NotImplementedError:
        shown, count = "", 0
    return "%s\t%s\t%s\t%s\t%d\n" % (o.getRoleName(), o.name, o.description, shown, count)

def finish():
    roles = (pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_STATUS_BAR)
    with open(log + ".part", "w") as f:
        for app in filter(ours, pyatspi.Registry.getDesktop(0)):
            f.writelines(map(describe, pyatspi.findAllDescendants(app, lambda o: o.getRole() in roles)))
    os.rename(log + ".part", log + ".objects")
    pyatspi.Registry.stop()

def stop_when_asked():
    while not os.path.exists(log + ".stop"):
        time.sleep(0.05)
    GLib.idle_add(finish)

for kind in ("object:text-changed", "object:text-selection-changed", "object:property-change:accessible-name",
             "object:property-change:accessible-description", "object:property-change:accessible-value"):
    pyatspi.Registry.registerEventListener(record, kind)
threading.Thread(target=stop_when_asked, daemon=True).start()
GLib.idle_add(lambda: open(log + ".ready", "w").close())
pyatspi.Registry.start()

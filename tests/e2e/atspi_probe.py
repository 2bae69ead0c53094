#!/usr/bin/python3
"""What a screen reader learns of velmora over AT-SPI.

listen LOG: writes each text and name event of the application as one line,
    "EVENT<TAB>ROLE<TAB>DETAIL", until the file LOG.stop appears.
inspect: prints, for the password box and the status line, their role, name,
    description, text and number of characters, one per line.
"""
import sys, os, threading, time
import pyatspi
from gi.repository import GLib

APP = "velmora"

def velmora_app():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name.lower() == APP:
            return app
    return None

def listen(log):
    out = open(log, "w", buffering=1)
    def record(event):
        try:
            if event.host_application.name.lower() != APP:
                return
            out.write("%s\t%s\t%r\n" % (event.type, event.source.getRoleName(), event.any_data))
        except Exception as e:  # an object gone meanwhile
            out.write("error\t\t%r\n" % e)
    for kind in ("object:text-changed", "object:property-change:accessible-name",
                 "object:property-change:accessible-description", "object:property-change:accessible-value",
                 "object:text-selection-changed", "object:text-caret-moved"):
        pyatspi.Registry.registerEventListener(record, kind)
    def stop_when_asked():
        while not os.path.exists(log + ".stop"):
            time.sleep(0.05)
        GLib.idle_add(pyatspi.Registry.stop)
    threading.Thread(target=stop_when_asked, daemon=True).start()
    open(log + ".ready", "w").close()
    pyatspi.Registry.start()

def inspect():
    app = velmora_app()
    if app is None:
        sys.exit("velmora is not on the accessibility bus")
    for role in (pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_STATUS_BAR):
        found = pyatspi.findAllDescendants(app, lambda o: o.getRole() == role)
        for o in found:
            text = o.queryText()
            print("%s\tname=%r\tdescription=%r\ttext=%r\tcharacters=%d" % (
                o.getRoleName(), o.name, o.description, text.getText(0, -1), text.characterCount
                if True else 0))
        if not found:
            print("%s\tmissing" % pyatspi.Role(role).get_role_name() if hasattr(pyatspi.Role(role), "get_role_name") else role)

if __name__ == "__main__":
    listen(sys.argv[2]) if sys.argv[1] == "listen" else inspect()

#!/usr/bin/python3
# What weston knows of its clients' windows, read from its protocol log
# (weston --logger-scopes=proto --log=LOG). Usage: weston_watch.py LOG OFFSET STATE
# Follows LOG from byte OFFSET on and keeps STATE (rewritten whole on every
# change) as one line per live toplevel:
#   CLIENT<TAB>TOPLEVEL<TAB>SURFACE<TAB>FOCUS<TAB>WIDTHxHEIGHT<TAB>APP_ID<TAB>TITLE
# FOCUS is 1 for the surface that holds the keyboard and has acknowledged a
# configure weston sent it since it got the keyboard (the "activated" state a
# Qt window needs before its shortcuts work), 2 while that configure is not
# acknowledged yet, 3 if none came since the keyboard did (weston, now and
# then, gives the keyboard back without one), 0 without the keyboard; WIDTHxHEIGHT is
# the window geometry the client last set (its surface, decorations included).
# STATE.pos holds how far (bytes) LOG has been read, once all before it is in STATE.
# Wayland windows have no X window id: this is how the tests find a window,
# its title, its app id and whether it has the keyboard.
import os, re, sys, time

log, offset, state = sys.argv[1], int(sys.argv[2]), sys.argv[3]
line_re = re.compile(r'\]\[proto\] client (\S+) (rq|ev) (\w+)@(\d+)\.(\w+)\((.*)\)\s*$')
xdg_surfaces = {}  # (client, xdg_surface) -> wl_surface
geometry = {}      # (client, xdg_surface) -> "WxH"
toplevels = {}     # (client, toplevel) -> dict
focus = None       # (client, wl_surface)
configured = {}    # (client, xdg_surface) -> [last serial sent, last acked, sent since focus]

def unquote(args):
    # the protocol logger prints a string argument as it is, between quotes
    m = re.match(r'"(.*)"$', args)
    return m.group(1) if m else args

def handle(client, kind, iface, oid, msg, args):
    global focus
    if kind == 'rq' and iface == 'xdg_wm_base' and msg == 'get_xdg_surface':
        m = re.match(r'new id xdg_surface@(\d+), wl_surface@(\d+)', args)
        if m:
            xdg_surfaces[(client, m.group(1))] = m.group(2)
    elif kind == 'rq' and iface == 'xdg_surface' and msg == 'get_toplevel':
        m = re.match(r'new id xdg_toplevel@(\d+)', args)
        if m:
            toplevels[(client, m.group(1))] = {'xdg': oid, 'surface': xdg_surfaces.get((client, oid), '?'),
                                               'title': '', 'app_id': ''}
    elif kind == 'ev' and iface == 'xdg_surface' and msg == 'configure':
        c = configured.setdefault((client, oid), [None, None, False])
        c[0] = args
        if focus == (client, xdg_surfaces.get((client, oid))):
            c[2] = True
    elif kind == 'rq' and iface == 'xdg_surface' and msg == 'ack_configure':
        configured.setdefault((client, oid), [None, None, False])[1] = args
    elif kind == 'rq' and iface == 'xdg_surface' and msg == 'set_window_geometry':
        parts = [p.strip() for p in args.split(',')]
        if len(parts) == 4:
            geometry[(client, oid)] = '%sx%s' % (parts[2], parts[3])
    elif kind == 'rq' and iface == 'xdg_toplevel' and msg in ('set_title', 'set_app_id'):
        t = toplevels.get((client, oid))
        if t is not None:
            t['title' if msg == 'set_title' else 'app_id'] = unquote(args)
    elif kind == 'rq' and iface == 'xdg_toplevel' and msg == 'destroy':
        toplevels.pop((client, oid), None)
    elif kind == 'rq' and iface == 'xdg_surface' and msg == 'destroy':
        xdg_surfaces.pop((client, oid), None)
        geometry.pop((client, oid), None)
    elif kind == 'ev' and iface == 'wl_keyboard' and msg == 'enter':
        m = re.match(r'\d+, wl_surface@(\d+)', args)
        if m:
            focus = (client, m.group(1))
            for (c, x), surface in xdg_surfaces.items():
                if c == client and surface == m.group(1) and (c, x) in configured:
                    configured[(c, x)][2] = False
    elif kind == 'ev' and iface == 'wl_keyboard' and msg == 'leave':
        m = re.match(r'\d+, wl_surface@(\d+)', args)
        if m and focus == (client, m.group(1)):
            focus = None
    else:
        return False
    return True

def write():
    rows = []
    for (client, tid), t in toplevels.items():
        c = configured.get((client, t['xdg']), [None, None, False])
        if focus != (client, t['surface']):
            active = 0
        elif not c[2]:
            active = 3  # the keyboard, but no configure since
        else:
            active = 1 if c[0] == c[1] else 2  # 2: not acknowledged yet (the client is busy)
        rows.append('%s\t%s\t%s\t%d\t%s\t%s\t%s\n' % (client, tid, t['surface'], active,
                                                    geometry.get((client, t['xdg']), '?'), t['app_id'], t['title']))
    with open(state + '.part', 'w') as f:
        f.writelines(rows)
    os.replace(state + '.part', state)

write()
with open(log, 'rb') as f:
    f.seek(offset)
    pending = b''
    while True:
        chunk = f.read(1 << 20)
        if not chunk:
            time.sleep(0.02)
            continue
        pending += chunk
        *lines, pending = pending.split(b'\n')
        changed = False
        for raw in lines:
            m = line_re.search(raw.decode('utf-8', 'replace'))
            if m:
                changed |= handle(*m.groups())
        if changed:
            write()
        with open(state + '.pos.part', 'w') as p:
            p.write('%d\n' % (f.tell() - len(pending)))
        os.replace(state + '.pos.part', state + '.pos')

#pragma once

#include <QKeySequence>
#include <QList>

class QEvent;

// The keys of one clipboard command (QKeySequence::Copy, Cut or Paste): the
// standard one first (Ctrl+C, Ctrl+X, Ctrl+V, what the menu shows), then
// the older spellings every Linux and Windows text box knows (Ctrl+Insert,
// Shift+Delete, Shift+Insert), then any others the platform maps (on X11
// for instance F16 and Ctrl+Shift+Insert).
QList<QKeySequence> clipboardKeys(QKeySequence::StandardKey command);

// The keys the window's clipboard menu owns: all of clipboardKeys() for
// copy, cut and paste. A text box calls this first in its event(): for such
// a key (as a shortcut override or a key press) the event is left
// unclaimed, so the window's shortcut gets it whichever box has the focus,
// and true is returned: the box must not handle the key itself.
bool leaveClipboardKeyToWindow(QEvent* event);

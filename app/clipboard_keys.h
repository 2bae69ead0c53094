#pragma once

class QEvent;

// The keys the window's clipboard menu owns: copy, cut and paste in all
// their platform spellings. A text box calls this first in its event():
// for such a key (as a shortcut override or a key press) the event is left
// unclaimed, so the window's shortcut gets it whichever box has the focus,
// and true is returned: the box must not handle the key itself.
bool leaveClipboardKeyToWindow(QEvent* event);

#include "clipboard_keys.h"

#include <QKeyEvent>

bool leaveClipboardKeyToWindow(QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (!key->matches(QKeySequence::Copy) && !key->matches(QKeySequence::Cut) && !key->matches(QKeySequence::Paste)) {
        return false;
    }
    event->ignore();
    return true;
}

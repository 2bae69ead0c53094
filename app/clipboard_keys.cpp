#include "clipboard_keys.h"

#include <QKeyEvent>

bool isClipboardKey(const QKeyEvent* event) {
    return event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)
        || event->matches(QKeySequence::Paste);
}

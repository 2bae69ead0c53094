#include "app/clipboard_keys.h"

#include <QKeyEvent>

QList<QKeySequence> clipboardKeys(QKeySequence::StandardKey command) {
    QList<QKeySequence> keys;
    switch (command) {
    case QKeySequence::Copy:
        keys = {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)};
        break;
    case QKeySequence::Cut:
        keys = {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)};
        break;
    case QKeySequence::Paste:
        keys = {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)};
        break;
    default: break;
    }
    // Some platform themes leave the older keys out; others add their own.
    for (const QKeySequence& key : QKeySequence::keyBindings(command)) {
        if (!keys.contains(key)) keys.append(key);
    }
    return keys;
}

bool leaveClipboardKeyToWindow(QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    // As QKeyEvent::matches() compares: Insert and Delete of the keypad count too.
    const QKeySequence pressed(QKeyCombination(key->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier),
                                               static_cast<Qt::Key>(key->key())));
    for (const auto command : {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste}) {
        if (clipboardKeys(command).contains(pressed)) {
            event->ignore();
            return true;
        }
    }
    return false;
}

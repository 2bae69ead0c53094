#include "app/password_privacy.h"

#include <QAccessible>
#include <QLineEdit>
#include <QStyle>

namespace {

QAccessible::UpdateHandler passOnTo = nullptr;

// The box's password character, as many times as the text has characters.
QString shownAs(const QLineEdit& box, const QString& text) {
    const auto mask =
        static_cast<char16_t>(box.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &box));
    return QString(text.size(), QChar(mask));
}

void forward(QAccessibleEvent* event);

// Text events of a password box, rebuilt with the password hidden; every
// other event passes unchanged.
void hidePasswordText(QAccessibleEvent* event) {
    const auto* box = qobject_cast<const QLineEdit*>(event->object());
    if (box == nullptr || box->echoMode() == QLineEdit::Normal) return forward(event);
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
        QAccessibleTextInsertEvent hidden(event->object(), e->changePosition(), shownAs(*box, e->textInserted()));
        return forward(&hidden);
    }
    case QAccessible::TextRemoved: {
        const auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
        QAccessibleTextRemoveEvent hidden(event->object(), e->changePosition(), shownAs(*box, e->textRemoved()));
        return forward(&hidden);
    }
    case QAccessible::TextUpdated: {
        const auto* e = static_cast<QAccessibleTextUpdateEvent*>(event);
        QAccessibleTextUpdateEvent hidden(event->object(), e->changePosition(), shownAs(*box, e->textRemoved()),
                                          shownAs(*box, e->textInserted()));
        return forward(&hidden);
    }
    default: return forward(event);
    }
}

// On to whatever handled events before: another handler, or Qt's own way to
// the platform's accessibility bridge, which only a call without a handler
// installed takes.
void forward(QAccessibleEvent* event) {
    if (passOnTo != nullptr) return passOnTo(event);
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&hidePasswordText);
}

}  // namespace

void hidePasswordsFromAssistiveTechnology() {
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(&hidePasswordText);
    if (previous != &hidePasswordText) passOnTo = previous;
}

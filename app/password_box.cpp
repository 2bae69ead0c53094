#include "app/password_box.h"

#include "app/clipboard_keys.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QValidator>

#include <algorithm>
#include <limits>

namespace {

// Qt's password character depends on the style; the box shows "*".
class AsteriskStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The box holds one line: of text pasted or dropped into it, what comes
// before the first line end stays, as in any one-line field, and the key is
// the one every other part of Velmora makes of the same line.
class OneLine final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int& cursor) const override {
        // The box never holds a line end, so the first one lies in what was
        // just put in, which ends at the cursor.
        const auto isLineEnd = [](QChar c) { return c == u'\r' || c == u'\n'; };
        const qsizetype first = std::find_if(text.cbegin(), text.cend(), isLineEnd) - text.cbegin();
        if (first == text.size()) return Acceptable;
        text.remove(first, std::max<qsizetype>(cursor, first) - first);
        text.removeIf(isLineEnd);
        cursor = static_cast<int>(first);
        return Acceptable;
    }
};

}  // namespace

PasswordBox::PasswordBox(QWidget* parent) : QLineEdit(parent) {
    auto* style = new AsteriskStyle();
    style->setParent(this);
    setStyle(style);
    setEchoMode(QLineEdit::Password);
    setMaxLength(std::numeric_limits<int>::max());  // no limit of its own
    setValidator(new OneLine(this));
    connect(qApp, &QApplication::focusChanged, this, &PasswordBox::focusMovedInApplication);
}

PasswordBox::~PasswordBox() {
    // QWidget's destructor may still move the focus; this part is gone by then.
    disconnect(qApp, nullptr, this, nullptr);
}

void PasswordBox::setBackColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

QColor PasswordBox::backColor() const { return palette().color(QPalette::Base); }

bool PasswordBox::event(QEvent* event) {
    if (leaveClipboardKeyToWindow(event)) return true;
    return QLineEdit::event(event);
}

void PasswordBox::keyPressEvent(QKeyEvent* event) {
    qint16 keyAscii = 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        keyAscii = 13;
    } else if (event->text().size() == 1) {
        keyAscii = static_cast<qint16>(event->text().at(0).unicode());
    }
    if (keyAscii != 0) {
        const qint16 original = keyAscii;
        QPointer<PasswordBox> alive(this);
        emit keyPress(keyAscii);
        if (!alive) return;
        if (keyAscii == 0) return;
        if (keyAscii != original) {
            QKeyEvent changed(event->type(), 0, event->modifiers(), QString(QChar(static_cast<char16_t>(keyAscii))));
            QLineEdit::keyPressEvent(&changed);
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void PasswordBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (hasReportedFocus_) return;  // back from a message box, a menu or another window
    hasReportedFocus_ = true;
    emit gotFocus();
}

void PasswordBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason: return;  // the keyboard is away for a while; the box keeps the window's focus
    default: break;
    }
    if (!hasReportedFocus_) return;
    hasReportedFocus_ = false;
    emit lostFocus();
}

// While the keyboard was away, the focus may have moved on to another control
// of this window (a menu command, a message box's caller): the box lost it then.
void PasswordBox::focusMovedInApplication(QWidget* from, QWidget* to) {
    if (!hasReportedFocus_ || from == this || to == nullptr || to == this || to->window() != window()) return;
    hasReportedFocus_ = false;
    emit lostFocus();
}

void PasswordBox::contextMenuEvent(QContextMenuEvent* event) {
    // The box's own menu: the usual editing commands without the ways to
    // take the password out (no Cut, no Copy).
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool editable = !isReadOnly();
    QAction* undoAction = menu->addAction(QStringLiteral("&Ångra"), this, &QLineEdit::undo);
    undoAction->setEnabled(editable && isUndoAvailable());
    QAction* redoAction = menu->addAction(QStringLiteral("&Gör om"), this, &QLineEdit::redo);
    redoAction->setEnabled(editable && isRedoAvailable());
    menu->addSeparator();
    QAction* pasteAction = menu->addAction(QStringLiteral("&Klistra in"), this, &QLineEdit::paste);
    pasteAction->setEnabled(editable);
    QAction* deleteAction = menu->addAction(QStringLiteral("Ta bort"), this, [this] { del(); });
    deleteAction->setEnabled(editable && hasSelectedText());
    menu->addSeparator();
    QAction* selectAllAction = menu->addAction(QStringLiteral("Markera allt"), this, &QLineEdit::selectAll);
    selectAllAction->setEnabled(!text().isEmpty());
    menu->popup(event->globalPos());
}

#include "app/ss_command.h"

#include "app/bevel.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

SSCommand::SSCommand(QWidget* parent) : QAbstractButton(parent), foreColor_(Qt::black) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover, false);
}

void SSCommand::setForeColor(const QColor& color) {
    foreColor_ = color;
    update();
}

void SSCommand::setPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

QSize SSCommand::sizeHint() const {
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    return text + QSize(16, 10);
}

bool SSCommand::event(QEvent* event) {
    // The access key moves the focus here and clicks at once.
    if (event->type() == QEvent::Shortcut) {
        setFocus(Qt::ShortcutFocusReason);
        click();
        return true;
    }
    return QAbstractButton::event(event);
}

void SSCommand::keyPressEvent(QKeyEvent* event) {
    // Enter clicks the focused button, as Space does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            click();
            return;
        }
    }
    QAbstractButton::keyPressEvent(event);
}

void SSCommand::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    const bool sunken = isDown();

    // Black outline, then a two-pixel bevel; the face inside it.
    painter.setPen(Qt::black);
    painter.drawRect(outer.adjusted(0, 0, -1, -1));
    const QRect bevelRect = outer.adjusted(1, 1, -1, -1);
    const QRect face = bevelRect.adjusted(2, 2, -2, -2);
    if (picture_.isNull()) {
        painter.fillRect(face, palette().button());
    } else {
        painter.drawPixmap(face, picture_);
    }
    drawBevel(painter, bevelRect, 2, sunken ? BevelKind::Sunken : BevelKind::Raised);

    QRect textRect = face;
    if (sunken) textRect.translate(1, 1);
    painter.setFont(font());
    painter.setPen(isEnabled() ? foreColor_ : palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        const QRect captionRect = painter.boundingRect(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
        option.rect = captionRect.adjusted(-2, -1, 2, 1).intersected(face);
        option.backgroundColor = palette().color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

#include "app/ss_panel.h"

#include "app/bevel.h"

#include <QPainter>

SSPanel::SSPanel(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setContentsMargins(kBevelWidth, kBevelWidth, kBevelWidth, kBevelWidth);
}

void SSPanel::setBackColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    p.setColor(QPalette::Button, color);
    setPalette(p);
}

void SSPanel::setForeColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void SSPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawBevel(painter, rect(), kBevelWidth, BevelKind::Raised);
}

#include "app/form_client_area.h"

#include <QPainter>

FormClientArea::FormClientArea(QWidget* parent) : QWidget(parent) { setAutoFillBackground(true); }

void FormClientArea::setPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void FormClientArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

#include "app/bevel.h"

#include <QPainter>

void drawBevel(QPainter& painter, const QRect& rect, int width, BevelKind kind) {
    const QColor light(255, 255, 255);
    const QColor shadow(128, 128, 128);
    const QColor& topLeft = kind == BevelKind::Raised ? light : shadow;
    const QColor& bottomRight = kind == BevelKind::Raised ? shadow : light;
    painter.save();
    for (int i = 0; i < width; ++i) {
        const QRect r = rect.adjusted(i, i, -i - 1, -i - 1);
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
    painter.restore();
}

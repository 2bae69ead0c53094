#pragma once

#include <QRect>

class QPainter;

enum class BevelKind { Raised, Sunken };

// A 3D bevel of the given width just inside rect: light on the top and left,
// shadow on the bottom and right (the other way round when sunken).
void drawBevel(QPainter& painter, const QRect& rect, int width, BevelKind kind);

#pragma once

#include <QFont>

// "MS Sans Serif" at a size given in points at 96 DPI, fixed in pixels so
// the captions fit the window's fixed layout on any screen. Where the font
// is missing it resolves to Liberation Sans, metric-compatible with the
// common Windows sans and narrow enough for every caption.
QFont msSansSerif(double points, bool bold);

// Registers the substitution; safe to call more than once.
void installFontSubstitutes();

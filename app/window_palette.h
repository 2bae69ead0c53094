#pragma once

#include <QPalette>

// The colours of the window's own controls, every role of every group set,
// so that no desktop theme (a dark one above all) changes any of them. They
// are the light colours of Qt's Fusion style on a desktop without a theme.
QPalette windowPalette();

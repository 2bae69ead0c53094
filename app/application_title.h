#pragma once

#include <QString>

// "Velmora": the caption of every message box of the program.
inline QString applicationTitle() { return QStringLiteral(VELMORA_PRODUCT_NAME); }

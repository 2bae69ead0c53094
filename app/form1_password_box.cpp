// The password box: light blue while it has the focus, light yellow
// otherwise; Enter in it runs the encrypt/decrypt command.
#include "app/form1.h"

#include "app/password_box.h"

namespace {
// 0x00F0CAA6 and 0x00E0FFFF as the runtime writes colours (0x00BBGGRR).
const QColor kFocusColour(0xA6, 0xCA, 0xF0);
const QColor kRestColour(0xFF, 0xFF, 0xE0);
}  // namespace

void Form1::Text1_GotFocus() {
    emit handlerEntered(QStringLiteral("Text1_GotFocus"));
    Text1->setBackColor(kFocusColour);
}

void Form1::Text1_LostFocus() {
    emit handlerEntered(QStringLiteral("Text1_LostFocus"));
    Text1->setBackColor(kRestColour);
}

void Form1::Text1_KeyPress(qint16& keyAscii) {
    emit handlerEntered(QStringLiteral("Text1_KeyPress"));
    if (keyAscii == 13) cmdKryDekry_Click();
}

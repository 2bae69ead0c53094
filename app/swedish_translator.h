#pragma once

#include <QTranslator>

// Swedish for the few texts Qt itself puts on screen in this program: the
// standard buttons, the text area's context menu and the scroll bar's menu.
// Built in, so the program does not depend on an optional translation
// package being installed.
class SwedishTranslator final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

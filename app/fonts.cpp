#include "app/fonts.h"

#include <QStringList>

#include <cmath>

void installFontSubstitutes() {
    const QStringList preferred = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial")};
    for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif"}) {
        const QString name = QString::fromLatin1(family);
        if (QFont::substitutes(name) != preferred) {
            QFont::removeSubstitutions(name);
            QFont::insertSubstitutions(name, preferred);
        }
    }
}

QFont msSansSerif(double points, bool bold) {
    installFontSubstitutes();
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

#include "app/info_command_line.h"

QString windowsInfoCommandLine(const QString& directory) {
    return QStringLiteral("NotePad.exe ") + directory + QStringLiteral("\\Info.txt");
}

InfoLaunch infoLaunch(const QString& directory) {
    return {QStringLiteral("xdg-open"), {directory + QStringLiteral("/Info.txt")}};
}

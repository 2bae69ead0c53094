#pragma once

#include <QString>
#include <QStringList>

// How the information file is opened: on Windows the editor's command line
// "NotePad.exe <directory>\Info.txt" (the path unquoted, the separator
// always added); elsewhere the desktop's handler for text files, given the
// path as one argument.
QString windowsInfoCommandLine(const QString& directory);

struct InfoLaunch {
    QString program;
    QStringList arguments;
};
InfoLaunch infoLaunch(const QString& directory);

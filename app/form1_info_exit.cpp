// Info opens the file beside the program in the desktop's text editor;
// Exit closes the window and with it the program.
#include "app/form1.h"

#include "app/info_command_line.h"
#include "app/info_viewer.h"
#include "app/runtime_services.h"

#include <QPointer>

void Form1::mnuInfo_Click() {
    emit handlerEntered(QStringLiteral("mnuInfo_Click"));
    // Nothing is reported and the status line stays.
    const QString directory = runtime_.appPath();
#ifdef Q_OS_WIN
    runtime_.startCommandLine(windowsInfoCommandLine(directory));
#else
    const InfoLaunch launch = infoLaunch(directory);
    // Where no editor can be started the file is shown in a window of the
    // program's own, so the help is always one click away.
    runtime_.startProgram(launch.program, launch.arguments, [form = QPointer<Form1>(this), launch] {
        if (form) (new InfoViewer(launch.arguments.constFirst(), form))->show();
    });
#endif
}

void Form1::Command3D1_Click() {
    emit handlerEntered(QStringLiteral("Command3D1_Click"));
    close();
}

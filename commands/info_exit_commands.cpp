// Info opens the file beside the program in the desktop's text editor;
// Exit closes the window and with it the program.
#include "form1.h"

#include "info_command_line.h"
#include "runtime_services.h"

void Form1::mnuInfo_Click() {
    emit handlerEntered(QStringLiteral("mnuInfo_Click"));
    // Every failure is ignored: nothing is reported, the status line stays.
    const QString directory = runtime_.appPath();
#ifdef Q_OS_WIN
    runtime_.startCommandLine(windowsInfoCommandLine(directory));
#else
    const InfoLaunch launch = infoLaunch(directory);
    runtime_.startProgram(launch.program, launch.arguments);
#endif
}

void Form1::Command3D1_Click() {
    emit handlerEntered(QStringLiteral("Command3D1_Click"));
    close();
}

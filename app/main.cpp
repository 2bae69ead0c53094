// Velmora: answers --help and --version, or builds the window from its
// description and runs the event loop until the window is closed.
#include "app/application_title.h"
#include "app/display_failure_in_swedish.h"
#include "app/form1.h"
#include "app/qt_runtime_services.h"
#include "app/start_arguments.h"
#include "app/swedish_translator.h"
#include "secrets/core_dumps.h"

#include <QApplication>

int main(int argc, char** argv) {
    velmora::forbidCoreDumps();  // before a password can be typed
    if (const auto status = velmora::answerWithoutWindow(argc, argv)) return *status;
    DisplayFailureInSwedish displayFailure;
    QApplication app(argc, argv);
    displayFailure.started();
    QApplication::setApplicationName(applicationTitle());
    // The desktop's dock and task switcher find the window's name and icon
    // in the installed desktop entry of this name (the Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION_TEXT));

    SwedishTranslator swedish;
    QApplication::installTranslator(&swedish);

    QtRuntimeServices runtime;
    Form1 form(runtime);
    form.show();
    return QApplication::exec();
}

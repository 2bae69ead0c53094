#include "qt_runtime_services.h"

#include "application_title.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

int QtRuntimeServices::msgBox(QWidget* parent, const QString& prompt, int style) {
    QMessageBox box(parent);
    box.setWindowTitle(applicationTitle());
    box.setText(prompt);
    box.setTextFormat(Qt::PlainText);
    box.setIcon((style & Critical) == Critical ? QMessageBox::Critical : QMessageBox::Information);

    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if ((style & 7) == OkCancel) {
        cancel = box.addButton(QStringLiteral("Avbryt"), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
    } else {
        box.setEscapeButton(ok);
    }
    box.setDefaultButton(ok);
    box.exec();
    return cancel != nullptr && box.clickedButton() != ok ? Cancel : Ok;
}

void QtRuntimeServices::clearClipboard() {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}

void QtRuntimeServices::setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

QString QtRuntimeServices::clipboardText() {
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

void QtRuntimeServices::setMousePointer(int pointer) {
    // The override cursor stacks; keep exactly one while busy.
    if (pointer == Hourglass && !busy_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busy_ = true;
    } else if (pointer == Default && busy_) {
        QApplication::restoreOverrideCursor();
        busy_ = false;
    }
}

QString QtRuntimeServices::appPath() {
    return QCoreApplication::applicationDirPath();
}

bool QtRuntimeServices::startProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool QtRuntimeServices::startCommandLine([[maybe_unused]] const QString& commandLine) {
#ifdef Q_OS_WIN
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    QProcess process;
    process.setProgram(blank < 0 ? commandLine : commandLine.left(blank));
    if (blank >= 0) process.setNativeArguments(commandLine.mid(blank + 1));
    return process.startDetached();
#else
    return false;
#endif
}

#pragma once

#include "runtime_services.h"

// The runtime services on Qt: QMessageBox, QClipboard, the override cursor,
// QCoreApplication's directory and QProcess.
class QtRuntimeServices final : public RuntimeServices {
public:
    int msgBox(QWidget* parent, const QString& prompt, int style) override;
    void clearClipboard() override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() override;
    void setMousePointer(int pointer) override;
    QString appPath() override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool startCommandLine(const QString& commandLine) override;

private:
    bool busy_ = false;
};

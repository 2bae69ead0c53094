#pragma once

#include "app/runtime_services.h"

#include <QObject>

// The runtime services on Qt: QMessageBox, QClipboard, the override cursor,
// QCoreApplication's directory and QProcess.
class QtRuntimeServices final : public RuntimeServices {
public:
    int msgBox(QWidget* parent, const QString& prompt, int style) override;
    void clearClipboard() override;
    void setClipboardText(const QString& text) override;
    std::optional<QString> clipboardText() override;
    void setMousePointer(int pointer) override;
    QString appPath() override;
    void startProgram(const QString& program, const QStringList& arguments, std::function<void()> whenFailed) override;
    bool startCommandLine(const QString& commandLine) override;

    ~QtRuntimeServices() override;

private:
    bool busy_ = false;
    QObject programs_;  // the programs started and not yet ended
};

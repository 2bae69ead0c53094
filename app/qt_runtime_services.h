#pragma once

#include "app/runtime_services.h"

#include <QObject>

class QMimeData;

// The runtime services on Qt: QMessageBox, QClipboard, the override cursor,
// QCoreApplication's directory and QProcess.
class QtRuntimeServices final : public RuntimeServices {
public:
    QtRuntimeServices();
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
    const QMimeData* unanswered_ = nullptr;  // the clipboard's offer whose owner did not answer
    QObject programs_;                       // the programs started and not yet ended
};

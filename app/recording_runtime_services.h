#pragma once

#include "app/runtime_services.h"

#include <QList>

#include <deque>
#include <functional>

// Runtime services for tests and benchmarks: message boxes answered from a
// queue of preset answers (the first button when none is left), an
// in-memory clipboard, a recorded cursor and recorded program starts. The
// program never uses them.
class RecordingRuntimeServices final : public RuntimeServices {
public:
    struct MessageBox {
        QString prompt;
        int style = 0;
    };

    QList<MessageBox> messageBoxes;
    std::deque<int> answers;
    std::function<void()> whileMessageBoxOpen;  // to look at the window meanwhile
    bool clipboardHasText = false;
    QString clipboard;
    int clipboardClears = 0;
    QList<int> pointerChanges;
    int pointer = Default;
    QString programDirectory = QStringLiteral("/opt/velmora");
    QList<std::pair<QString, QStringList>> launches;  // program, arguments
    bool startSucceeds = true;

    int msgBox(QWidget*, const QString& prompt, int style) override {
        messageBoxes.append({prompt, style});
        if (whileMessageBoxOpen) whileMessageBoxOpen();
        const int answer = !answers.empty() ? answers.front() : (style & 7) == YesNo ? Yes : Ok;
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
    void clearClipboard() override {
        ++clipboardClears;
        clipboardHasText = false;
        clipboard.clear();
    }
    void setClipboardText(const QString& text) override {
        clipboardHasText = true;
        clipboard = text;
    }
    std::optional<QString> clipboardText() override {
        return clipboardHasText ? std::optional(clipboard) : std::nullopt;
    }
    void setMousePointer(int value) override { pointerChanges.append(pointer = value); }
    QString appPath() override { return programDirectory; }
    void startProgram(const QString& program, const QStringList& arguments, std::function<void()> whenFailed) override {
        launches.append({program, arguments});
        if (!startSucceeds) whenFailed();
    }
    bool startCommandLine(const QString&) override { return false; }  // Windows only
};

#pragma once

#include "runtime_services.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

// Runtime services for tests: message boxes answered from a queue of preset
// answers (OK when none is left), an in-memory clipboard, a recorded cursor
// and recorded program starts.
class RecordingRuntimeServices final : public RuntimeServices {
public:
    struct MessageBox {
        QString prompt;
        int style = 0;
    };
    struct Launch {
        QString program;
        QStringList arguments;
    };

    QList<MessageBox> messageBoxes;
    std::deque<int> answers;
    // Runs while a message box is "open", to look at the window meanwhile.
    std::function<void()> whileMessageBoxOpen;

    bool clipboardHasText = false;
    QString clipboard;
    int clipboardClears = 0;

    QList<int> pointerChanges;
    int pointer = Default;

    QString programDirectory = QStringLiteral("/opt/velmora");
    QList<Launch> launches;
    QStringList commandLines;
    bool startSucceeds = true;

    int msgBox(QWidget*, const QString& prompt, int style) override {
        messageBoxes.append({prompt, style});
        if (whileMessageBoxOpen) whileMessageBoxOpen();
        if (answers.empty()) return Ok;
        const int answer = answers.front();
        answers.pop_front();
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
    QString clipboardText() override { return clipboardHasText ? clipboard : QString(); }
    void setMousePointer(int value) override {
        pointerChanges.append(value);
        pointer = value;
    }
    QString appPath() override { return programDirectory; }
    bool startProgram(const QString& program, const QStringList& arguments) override {
        launches.append({program, arguments});
        return startSucceeds;
    }
    bool startCommandLine(const QString& commandLine) override {
        commandLines.append(commandLine);
        return startSucceeds;
    }
};

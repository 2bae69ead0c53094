#pragma once

#include "cipher/rtc_random.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// The services the window's commands take from the platform: message box,
// clipboard, screen cursor, the program's directory and program launch.
// The program uses the Qt implementation; tests put a recording one in its
// place and preset the answers.
class RuntimeServices {
public:
    virtual ~RuntimeServices() = default;

    // Message-box styles and answers, as the commands use them.
    enum Style { OkCancel = 1, YesNo = 4, Critical = 16, Question = 32, Information = 64 };
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    // A modal message box titled with the program's name; style is an icon
    // plus optionally OkCancel or YesNo. Returns Ok, Cancel, Yes or No;
    // Escape is Cancel or No, Enter the first button.
    virtual int msgBox(QWidget* parent, const QString& prompt, int style) = 0;

    // The system clipboard, plain text only. clipboardText() is nullopt when
    // the clipboard holds no text (a picture, nothing) or its owner does not
    // answer in time.
    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual std::optional<QString> clipboardText() = 0;

    // The screen's mouse pointer: 11 hourglass, 0 default.
    enum MousePointer { Default = 0, Hourglass = 11 };
    virtual void setMousePointer(int pointer) = 0;

    // The directory the program file lies in.
    virtual QString appPath() = 0;

    // Starts a program with its arguments passed as they are (no shell) and
    // lets it run on its own. whenFailed runs later, on this thread, if it
    // cannot be started or ends in failure.
    virtual void startProgram(const QString& program, const QStringList& arguments,
                              std::function<void()> whenFailed) = 0;

    // Starts a program from a Windows command line, passed on as it is.
    // Returns false when nothing could be started (always, off Windows).
    virtual bool startCommandLine(const QString& commandLine) = 0;

    // The runtime's random generator, restarted and drawn by the cipher.
    velmora::RtcRandom& randomGenerator() { return random_; }

private:
    velmora::RtcRandom random_;
};

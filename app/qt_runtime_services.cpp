#include "app/qt_runtime_services.h"

#include "app/application_title.h"
#include "app/x11_clipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>

namespace {

QMessageBox::Icon iconOf(int style) {
    switch (style & 0x70) {
    case RuntimeServices::Critical: return QMessageBox::Critical;
    case RuntimeServices::Question: return QMessageBox::Question;
    default: return QMessageBox::Information;
    }
}

}  // namespace

int QtRuntimeServices::msgBox(QWidget* parent, const QString& prompt, int style) {
    QMessageBox box(parent);
    box.setWindowTitle(applicationTitle());
    box.setText(prompt);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconOf(style));

    // The buttons carry their Swedish texts themselves: Qt's own come from
    // the platform theme, in English.
    const bool yesNo = (style & 7) == YesNo;
    QPushButton* first = box.addButton(yesNo ? QStringLiteral("&Ja") : QStringLiteral("OK"),
                                       yesNo ? QMessageBox::YesRole : QMessageBox::AcceptRole);
    QPushButton* second = nullptr;
    if (yesNo) {
        second = box.addButton(QStringLiteral("&Nej"), QMessageBox::NoRole);
    } else if ((style & 7) == OkCancel) {
        second = box.addButton(QStringLiteral("Avbryt"), QMessageBox::RejectRole);
    }
    box.setEscapeButton(second != nullptr ? second : first);
    box.setDefaultButton(first);
    box.exec();
    const bool firstChosen = second == nullptr || box.clickedButton() == first;
    if (yesNo) return firstChosen ? Yes : No;
    return firstChosen ? Ok : Cancel;
}

void QtRuntimeServices::clearClipboard() { QGuiApplication::clipboard()->clear(QClipboard::Clipboard); }

void QtRuntimeServices::setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

QtRuntimeServices::QtRuntimeServices() {
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &programs_,
                     [this] { unanswered_ = nullptr; });
}

std::optional<QString> QtRuntimeServices::clipboardText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Another program's text on X is read without Qt, which waits 5 s for
    // each question an owner does not answer and drops a NUL at the end.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") && !clipboard->ownsClipboard()) {
        return readX11ClipboardText(qgetenv("DISPLAY"), std::chrono::milliseconds(1500));
    }
    const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
    if (data == nullptr || !data->hasText() || data == unanswered_) return std::nullopt;
    QElapsedTimer waited;
    waited.start();
    QString text = data->text();
    // Qt's Wayland client gives up on an owner that sends nothing for a
    // second, and then returns no text, as for an empty one; it keeps that
    // answer for the offer, so the offer is remembered as unanswered.
    constexpr qint64 kOwnerSilent = 900;
    if (text.isEmpty() && platform.startsWith(QLatin1String("wayland")) && waited.elapsed() >= kOwnerSilent) {
        unanswered_ = data;
        return std::nullopt;
    }
    return text;
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

QString QtRuntimeServices::appPath() { return QCoreApplication::applicationDirPath(); }

void QtRuntimeServices::startProgram(const QString& program, const QStringList& arguments,
                                     std::function<void()> whenFailed) {
    auto* process = new QProcess(&programs_);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process, [process, whenFailed](int code, QProcess::ExitStatus how) {
        process->deleteLater();
        if (how != QProcess::NormalExit || code != 0) whenFailed();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, whenFailed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        process->deleteLater();
        whenFailed();
    });
    process->start();
}

QtRuntimeServices::~QtRuntimeServices() {
    // A program still running (an opener waiting for its editor) is ended
    // with the window; what it started lives on. Nothing is reported then.
    for (QObject* process : programs_.children()) process->disconnect();
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

#include "app/display_failure_in_swedish.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

std::mutex heldMutex;
QList<HeldMessage> held;
QtMessageHandler passOnTo = nullptr;

QString swedishLine() {
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty() && wayland.isEmpty()) {
        return QStringLiteral(
            "velmora: ingen bildskärm att visa fönstret på (varken DISPLAY eller WAYLAND_DISPLAY är satt).");
    }
    return QStringLiteral(
               "velmora: bildskärmen går inte att öppna, fönstret kan inte visas (DISPLAY=\"%1\" "
               "WAYLAND_DISPLAY=\"%2\").")
        .arg(QString::fromLocal8Bit(display), QString::fromLocal8Bit(wayland));
}

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        // Qt's state is half built: leave at once, running nothing more.
        std::fputs((swedishLine() + QLatin1Char('\n')).toUtf8().constData(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    const std::lock_guard lock(heldMutex);
    held.append({type, QByteArray(context.category), text});
}

}  // namespace

DisplayFailureInSwedish::DisplayFailureInSwedish() { passOnTo = qInstallMessageHandler(holdOrEnd); }

DisplayFailureInSwedish::~DisplayFailureInSwedish() { started(); }

void DisplayFailureInSwedish::started() {
    const QtMessageHandler next = std::exchange(passOnTo, nullptr);
    if (next == nullptr) return;
    qInstallMessageHandler(next);
    const std::lock_guard lock(heldMutex);
    for (const HeldMessage& message : std::as_const(held)) {
        const char* category = message.category.isNull() ? nullptr : message.category.constData();
        next(message.type, QMessageLogContext(nullptr, 0, nullptr, category), message.text);
    }
    held.clear();
}

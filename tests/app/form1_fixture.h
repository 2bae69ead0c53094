#pragma once

#include "form1.h"
#include "lossless_text_box.h"
#include "password_box.h"
#include "recording_runtime_services.h"
#include "ss_command.h"
#include "qt_printers.h"
#include "ss_panel.h"
#include "swedish_translator.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <QTimer>

#include <functional>
#include <memory>

// Runs the program's event loop with action queued inside it; true when the
// loop ended by itself rather than by the fail-safe.
inline bool eventLoopEndsAfter(QObject* context, const std::function<void()>& action) {
    QTimer::singleShot(0, context, action);
    QTimer failSafe;
    failSafe.setSingleShot(true);
    QObject::connect(&failSafe, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    failSafe.start(5000);
    return QApplication::exec() == 0;
}

// A shown, active Form1 on recording runtime services, with the handlers
// it runs written down in order.
class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        QApplication::installTranslator(&swedish);
        form = std::make_unique<Form1>(runtime);
        QObject::connect(form.get(), &Form1::handlerEntered, [this](const QString& name) { handlers << name; });
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    void TearDown() override {
        form.reset();
        QApplication::removeTranslator(&swedish);
    }

    // Takes the handlers run so far and starts a new record.
    QStringList takeHandlers() {
        QStringList taken = handlers;
        handlers.clear();
        return taken;
    }

    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    // Types text key by key; characters beyond ASCII arrive as a keyboard
    // layout would deliver them, as text with no key code of their own.
    static void typeText(QWidget* widget, const QString& text) {
        for (QChar c : text) {
            if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
                QTest::keyClick(widget, static_cast<char>(c.unicode()));
            } else {
                QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
        }
    }

    void focus(QWidget* widget) {
        widget->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

    // Selects characters [start, start + length) of txtClip.
    void select(int start, int length) {
        form->txtClip->setSelStart(start);
        form->txtClip->setSelLength(length);
    }

    SwedishTranslator swedish;
    RecordingRuntimeServices runtime;
    std::unique_ptr<Form1> form;
    QStringList handlers;
};

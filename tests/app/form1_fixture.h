#pragma once

#include "app/form1.h"
#include "app/lossless_text_box.h"
#include "app/password_box.h"
#include "app/recording_runtime_services.h"
#include "app/ss_command.h"
#include "app/ss_panel.h"
#include "app/swedish_translator.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable Qt strings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

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
    QStringList takeHandlers() { return std::exchange(handlers, {}); }

    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    // Types text key by key; characters beyond ASCII arrive as a keyboard
    // layout would deliver them, as text with no key code of their own.
    static void typeText(QWidget* widget, const QString& text) {
        for (QChar c : text) {
            const bool ascii = c.unicode() >= 0x20 && c.unicode() < 0x7F;
            QTest::sendKeyEvent(QTest::Click, widget, ascii ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown,
                                QString(c), Qt::NoModifier);
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

// The runtime services on Qt: every word Qt itself puts on the program's
// message boxes and edit menus is Swedish, without any translation package;
// a program that cannot start or fails is told of; the clipboard's text is
// read.
#include "app/qt_runtime_services.h"
#include "app/swedish_translator.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

TEST(SwedishTexts, MessageBoxButtonsTitleAndAnswers) {
    SwedishTranslator swedish;
    QApplication::installTranslator(&swedish);
    QtRuntimeServices runtime;
    for (const bool accept : {false, true}) {
        QStringList seen;
        QTimer::singleShot(0, [&seen, accept] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            seen << box->windowTitle() << "default " + box->defaultButton()->text();
            for (QAbstractButton* b : box->buttons()) seen << b->text();
            accept ? box->defaultButton()->click() : box->reject();  // Enter or Escape
        });
        EXPECT_EQ(runtime.msgBox(nullptr, QStringLiteral("Prov"), 17),
                  accept ? RuntimeServices::Ok : RuntimeServices::Cancel);
        seen.sort();
        EXPECT_EQ(seen, (QStringList{"Avbryt", "OK", "Velmora", "default OK"}));
    }
    QLineEdit field;  // as the password box
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    EXPECT_TRUE(menu->actions().value(0)->text().startsWith("&Ångra\t"));
    QApplication::removeTranslator(&swedish);
}

TEST(QtRuntimeServicesTest, TellsOfAProgramThatCannotStartOrFailsAndReadsTheClipboard) {
    QStringList failed;
    QtRuntimeServices runtime;
    for (const char* program : {"true", "false", "/nonexistent/velmora-editor"})
        runtime.startProgram(QString::fromLatin1(program), {}, [&failed, program] { failed << program; });
    EXPECT_TRUE(QTest::qWaitFor([&failed] { return failed.size() == 2; }));  // QTRY_COMPARE would not fail a gtest
    QTest::qWait(100);                                                       // "true" has ended by now too
    failed.sort();
    EXPECT_EQ(failed, (QStringList{"/nonexistent/velmora-editor", "false"}));
    QGuiApplication::clipboard()->setText(QStringLiteral("rad\r\n"));
    EXPECT_EQ(runtime.clipboardText(), QStringLiteral("rad\r\n"));
}

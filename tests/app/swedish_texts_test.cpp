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

#include <tuple>

TEST(SwedishTexts, MessageBoxButtonsTitleAndAnswers) {
    SwedishTranslator swedish;
    QApplication::installTranslator(&swedish);
    QtRuntimeServices runtime;
    using R = RuntimeServices;
    const std::tuple<int, QMessageBox::Icon, int, int, QStringList> styles[] = {
        {17, QMessageBox::Critical, R::Ok, R::Cancel, {"Avbryt", "OK", "Velmora", "default OK"}},
        {36, QMessageBox::Question, R::Yes, R::No, {"&Ja", "&Nej", "Velmora", "default &Ja"}},
    };
    for (const auto& [style, icon, onEnter, onEscape, buttons] : styles) {
        for (const bool accept : {false, true}) {
            QStringList seen;
            QMessageBox::Icon shown = QMessageBox::NoIcon;
            QTimer::singleShot(0, [&seen, &shown, accept] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr) return;
                shown = box->icon();
                seen << box->windowTitle() << "default " + box->defaultButton()->text();
                for (QAbstractButton* b : box->buttons()) seen << b->text();
                QTest::keyClick(box, accept ? Qt::Key_Return : Qt::Key_Escape);
            });
            EXPECT_EQ(runtime.msgBox(nullptr, QStringLiteral("Prov"), style), accept ? onEnter : onEscape);
            seen.sort();
            EXPECT_EQ(seen, buttons);
            EXPECT_EQ(shown, icon);
        }
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

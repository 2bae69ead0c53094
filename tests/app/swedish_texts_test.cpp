// Every word Qt itself puts on screen is Swedish: the message box's buttons
// and the text area's context menu, without any translation package.
#include "lossless_text_box.h"
#include "qt_runtime_services.h"
#include "swedish_translator.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QStringList menuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible()) continue;
        texts << action->text().section(QLatin1Char('\t'), 0, 0);
    }
    return texts;
}

class SwedishTexts : public ::testing::Test {
protected:
    void SetUp() override { QApplication::installTranslator(&swedish); }
    void TearDown() override { QApplication::removeTranslator(&swedish); }
    SwedishTranslator swedish;
};

} // namespace

TEST_F(SwedishTexts, TextAreaContextMenu) {
    LosslessTextBox box;
    box.setText(QStringLiteral("några ord"));
    box.selectAll();
    std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    const QStringList texts = menuTexts(menu.get());
    EXPECT_EQ(texts, (QStringList{"&Ångra", "&Gör om", "Klipp &ut", "&Kopiera", "K&listra in", "Ta bort",
                                  "Markera allt"}));
}

TEST_F(SwedishTexts, ScrollBarContextMenuHasNoEnglish) {
    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 100);
    bar.resize(16, 200);
    QTimer::singleShot(0, [] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        const QStringList texts = menuTexts(popup);
        EXPECT_EQ(texts, (QStringList{"Rulla hit", "Överst", "Nederst", "Sida upp", "Sida ned", "Rulla upp",
                                      "Rulla ned"}));
        popup->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(8, 100), bar.mapToGlobal(QPoint(8, 100)));
    QApplication::sendEvent(&bar, &event);
}

TEST_F(SwedishTexts, MessageBoxButtonsAndTitle) {
    QtRuntimeServices runtime;
    for (int style : {16 + 1, 64}) {
        QStringList buttons;
        QString title;
        bool okIsDefault = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            for (QAbstractButton* b : box->buttons()) buttons << b->text();
            okIsDefault = box->defaultButton() != nullptr && box->defaultButton()->text() == QStringLiteral("OK");
            box->reject();  // Escape
        });
        const int answer = runtime.msgBox(nullptr, QStringLiteral("Prov"), style);
        EXPECT_EQ(title, QStringLiteral("Velmora"));
        EXPECT_TRUE(okIsDefault);
        if (style == 17) {
            buttons.sort();
            EXPECT_EQ(buttons, (QStringList{"Avbryt", "OK"}));
            EXPECT_EQ(answer, RuntimeServices::Cancel);
        } else {
            EXPECT_EQ(buttons, QStringList{"OK"});
            EXPECT_EQ(answer, RuntimeServices::Ok);
        }
    }
}

TEST_F(SwedishTexts, StandardButtonTextsTranslate) {
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Avbryt"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("OK"));
    EXPECT_EQ(QCoreApplication::translate("QWidgetTextControl", "Select All"), QStringLiteral("Markera allt"));
    // Unknown texts are left to Qt.
    EXPECT_EQ(QCoreApplication::translate("QWidgetTextControl", "No such text"), QStringLiteral("No such text"));
}

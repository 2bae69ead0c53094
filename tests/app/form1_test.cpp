// The window as it is described: controls, looks, tab order, menus, and
// which event reaches which handler.
#include "form1_fixture.h"

#include "velmora_resources.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

namespace {

// Twips to pixels.
QRect px(int left, int top, int width, int height) { return {left / 15, top / 15, width / 15, height / 15}; }

} // namespace

TEST_F(Form1Test, StartState) {
    EXPECT_TRUE(takeHandlers().isEmpty());
    const QString help = form->txtClip->text();
    EXPECT_EQ(help.size(), 788);
    EXPECT_EQ(help, velmora::resources::text(velmora::resources::kHelpText));
    EXPECT_TRUE(help.startsWith(QStringLiteral("Detta program krypterar din emailtext\r\n")));
    EXPECT_EQ(form->txtClip->selLength(), 0);
    EXPECT_EQ(form->txtClip->selText(), QString());
    EXPECT_EQ(form->Text1->text(), QString());
    EXPECT_EQ(form->Label4->text(), QString());
    EXPECT_EQ(form->Label2->text(), QString());
    EXPECT_EQ(form->Label1->text(), QStringLiteral("Skriv in lösenord/nyckel"));
    EXPECT_EQ(form->Label3->text().size(), 148);
    EXPECT_EQ(QApplication::focusWidget(), form->Command3D1);
    EXPECT_TRUE(form->txtClip->isVisible());
    EXPECT_TRUE(form->Label3->isVisible());
    // The password box shows its rest colour: no focus handler ran.
    EXPECT_EQ(form->Text1->backColor(), QColor(255, 255, 224));
}

TEST_F(Form1Test, WindowCaptionSizeAndIcon) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Mail   Kryptering / Dekryptering"));
    EXPECT_EQ(form->centralWidget()->size(), QSize(467, 406));
    EXPECT_EQ(form->centralWidget()->geometry().top(), form->menuBar()->geometry().bottom() + 1);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->height(), form->menuBar()->height() + 406);
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_FALSE(form->Image1->pixmap().isNull());
    EXPECT_EQ(form->Image1->pixmap().size(), QSize(32, 32));
}

TEST_F(Form1Test, EveryControlWhereTheDescriptionPutsIt) {
    const struct {
        QWidget* widget;
        QWidget* container;
        QRect geometry;
    } table[] = {
        {form->Image1, form->centralWidget(), px(90, 30, 480, 480)},
        {form->Label4, form->centralWidget(), px(1560, 210, 4065, 345)},
        {form->Label2, form->centralWidget(), px(780, 1620, 5115, 375)},
        {form->Panel3D1, form->centralWidget(), px(120, 2010, 6015, 2775)},
        {form->Label3, form->Panel3D1, px(90, 420, 1545, 1695)},
        {form->SSCommand4, form->Panel3D1, px(180, 2250, 1455, 375)},
        {form->txtClip, form->Panel3D1, px(1740, 90, 4215, 2535)},
        {form->SSCommand1, form->centralWidget(), px(1920, 4860, 975, 375)},
        {form->SSCommand2, form->centralWidget(), px(3510, 4860, 975, 375)},
        {form->SSCommand3, form->centralWidget(), px(5160, 4860, 975, 375)},
        {form->Label1, form->centralWidget(), px(60, 5370, 2085, 255)},
        {form->Text1, form->centralWidget(), px(90, 5610, 1785, 360)},
        {form->cmdKryDekry, form->centralWidget(), px(2790, 5520, 2415, 450)},
        {form->Command3D1, form->centralWidget(), px(6150, 5520, 735, 450)},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.widget->parentWidget(), row.container) << row.widget->objectName().toStdString();
        QRect geometry = row.widget->geometry();
        if (row.container == form->Panel3D1) geometry.translate(-form->Panel3D1->innerOrigin());
        EXPECT_EQ(geometry, row.geometry) << row.widget->objectName().toStdString();
        EXPECT_TRUE(row.widget->isVisible()) << row.widget->objectName().toStdString();
    }
    // The panel's children fit inside its inner area.
    const QRect inner = form->Panel3D1->contentsRect();
    for (QWidget* child : {static_cast<QWidget*>(form->Label3), static_cast<QWidget*>(form->SSCommand4),
                           static_cast<QWidget*>(form->txtClip)}) {
        EXPECT_TRUE(inner.contains(child->geometry())) << child->objectName().toStdString();
    }
}

TEST_F(Form1Test, CaptionsFontsAndColours) {
    const QColor navy(0, 0, 128);
    const struct {
        SSCommand* button;
        const char* caption;
        int pixelSize;
    } buttons[] = {
        {form->SSCommand4, "&Markera Allt", 11}, {form->SSCommand1, "&Kopiera", 11},
        {form->SSCommand2, "Klipp &Ut", 11},     {form->SSCommand3, "Klistra &In", 11},
        {form->cmdKryDekry, "Kryptera / Dekryptera", 13}, {form->Command3D1, "&Exit", 13},
    };
    for (const auto& row : buttons) {
        EXPECT_EQ(row.button->text(), QString::fromUtf8(row.caption));
        EXPECT_EQ(row.button->foreColor(), navy) << row.caption;
        EXPECT_EQ(row.button->font().pixelSize(), row.pixelSize) << row.caption;
        EXPECT_TRUE(row.button->font().bold()) << row.caption;
    }
    EXPECT_FALSE(form->cmdKryDekry->picture().isNull());
    EXPECT_EQ(form->cmdKryDekry->picture().size(), QSize(66, 26));
    EXPECT_EQ(form->Command3D1->picture().toImage(), form->cmdKryDekry->picture().toImage());
    EXPECT_TRUE(form->SSCommand1->picture().isNull());

    EXPECT_EQ(form->Label4->font().pixelSize(), 13);
    EXPECT_EQ(form->Label4->palette().color(QPalette::WindowText), navy);
    EXPECT_FALSE(form->Label4->autoFillBackground());
    EXPECT_EQ(form->Label2->font().pixelSize(), 16);
    EXPECT_EQ(form->Label1->palette().color(QPalette::WindowText), navy);
    EXPECT_EQ(form->Label1->font().pixelSize(), 11);
    EXPECT_TRUE(form->Label1->font().bold());
    EXPECT_EQ(form->Label3->palette().color(QPalette::WindowText), navy);
    EXPECT_EQ(form->Label3->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_TRUE(form->Label3->autoFillBackground());
    EXPECT_TRUE(form->Label3->wordWrap());
    EXPECT_EQ(form->Panel3D1->palette().color(QPalette::Window), QColor(192, 192, 192));

    EXPECT_EQ(form->txtClip->font().pixelSize(), 11);
    EXPECT_FALSE(form->txtClip->font().bold());
    EXPECT_EQ(form->txtClip->palette().color(QPalette::Base), QColor(255, 255, 224));
    EXPECT_EQ(form->txtClip->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form->txtClip->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(form->txtClip->isReadOnly());

    EXPECT_EQ(form->Text1->font().pixelSize(), 16);
    EXPECT_TRUE(form->Text1->font().bold());
    EXPECT_EQ(form->Text1->backColor(), QColor(255, 255, 224));
}

TEST_F(Form1Test, FontsResolveToAMetricCompatibleSans) {
    EXPECT_EQ(QFontInfo(form->cmdKryDekry->font()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(form->txtClip->font()).family(), QStringLiteral("Liberation Sans"));
}

TEST_F(Form1Test, EveryCaptionFitsItsControl) {
    // A button's caption must fit inside its outline and bevel.
    for (SSCommand* button : {form->SSCommand1, form->SSCommand2, form->SSCommand3, form->SSCommand4,
                              form->cmdKryDekry, form->Command3D1}) {
        const QFontMetrics metrics(button->font());
        const QSize caption = metrics.size(Qt::TextShowMnemonic, button->text());
        EXPECT_LE(caption.width(), button->width() - 8) << button->text().toStdString();
        EXPECT_LE(caption.height(), button->height() - 6) << button->text().toStdString();
    }
    const QFontMetrics label1(form->Label1->font());
    EXPECT_LE(label1.horizontalAdvance(form->Label1->text()), form->Label1->width());
    EXPECT_LE(label1.height(), form->Label1->height());

    // Label3 wraps its caption at blanks inside its width and height.
    const QFontMetrics label3(form->Label3->font());
    const QRect needed = label3.boundingRect(QRect(0, 0, form->Label3->width(), 10000),
                                             Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, form->Label3->text());
    EXPECT_LE(needed.height(), form->Label3->height());
    for (const QString& word : form->Label3->text().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        EXPECT_LE(label3.horizontalAdvance(word), form->Label3->width()) << word.toStdString();
    }

    const QFontMetrics status(form->Label4->font());
    EXPECT_LE(status.horizontalAdvance(QStringLiteral("Kryptering / Dekryptering  Klar  OK")), form->Label4->width());
}

TEST_F(Form1Test, TabOrderForwardsAndBackwards) {
    const QList<QWidget*> order = {form->Command3D1, form->Text1, form->cmdKryDekry, form->txtClip,
                                   form->SSCommand1, form->SSCommand2, form->SSCommand3, form->SSCommand4};
    ASSERT_EQ(QApplication::focusWidget(), order[0]);
    for (qsizetype i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i % order.size()])
            << "after tab " << i << " focus on " << QApplication::focusWidget()->objectName().toStdString();
    }
    for (auto i = order.size() - 1; i >= 0; --i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), order[i])
            << "after back-tab to " << i << " focus on " << QApplication::focusWidget()->objectName().toStdString();
    }
    for (QWidget* w : {static_cast<QWidget*>(form->Label1), static_cast<QWidget*>(form->Label3),
                       static_cast<QWidget*>(form->Label4), static_cast<QWidget*>(form->Image1),
                       static_cast<QWidget*>(form->Panel3D1)}) {
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->objectName().toStdString();
    }
}

TEST_F(Form1Test, MenusAndTheirShortcuts) {
    const QList<QAction*> bar = form->menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0], form->mnuInfo);
    EXPECT_EQ(bar[0]->text(), QStringLiteral("Info"));
    EXPECT_EQ(bar[0]->menu(), nullptr);
    EXPECT_EQ(bar[1]->text(), QStringLiteral("KlippBord"));
    EXPECT_EQ(bar[1]->menu(), form->mnuClip);

    const QList<QAction*> items = form->mnuClip->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Kopiera"));
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_EQ(items[1]->text(), QStringLiteral("Klipp Ut"));
    EXPECT_EQ(items[1]->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_EQ(items[2]->text(), QStringLiteral("Klistra In"));
    EXPECT_EQ(items[2]->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));
    for (QAction* a : items) {
        EXPECT_TRUE(a->isEnabled());
        EXPECT_TRUE(a->isVisible());
        EXPECT_FALSE(a->text().contains(QLatin1Char('&')));
    }
}

TEST_F(Form1Test, EachButtonClickReachesItsHandler) {
    // Keep the clipboard commands' effects harmless: nothing selected.
    const struct {
        SSCommand* button;
        QStringList expected;
    } rows[] = {
        {form->SSCommand1, {"SSCommand1_Click", "mnuCopy_Click"}},
        {form->SSCommand2, {"SSCommand2_Click"}},
        {form->SSCommand3, {"SSCommand3_Click", "mnuPaste_Click"}},
        {form->SSCommand4, {"SSCommand4_Click"}},
        {form->cmdKryDekry, {"cmdKryDekry_Click"}},
    };
    for (const auto& row : rows) {
        click(row.button);
        QStringList ran = takeHandlers();
        ran.removeAll(QStringLiteral("Text1_LostFocus"));
        ran.removeAll(QStringLiteral("Text1_GotFocus"));
        EXPECT_EQ(ran, row.expected) << row.button->objectName().toStdString();
    }
    click(form->Command3D1);
    EXPECT_EQ(takeHandlers(), QStringList{"Command3D1_Click"});
}

TEST_F(Form1Test, MenuTitlesReachTheirHandlers) {
    QMenuBar* bar = form->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form->mnuInfo).center());
    EXPECT_EQ(takeHandlers(), QStringList{"mnuInfo_Click"});

    // Opening "KlippBord" and closing it without a choice still runs it.
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form->mnuClip->menuAction()).center());
    EXPECT_TRUE(form->mnuClip->isVisible());
    QTest::keyClick(form->mnuClip, Qt::Key_Escape);
    EXPECT_FALSE(form->mnuClip->isVisible());
    EXPECT_EQ(takeHandlers(), QStringList{"mnuClip_Click"});

    // Opening it again runs it again; choosing an item runs the item too.
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form->mnuClip->menuAction()).center());
    ASSERT_TRUE(form->mnuClip->isVisible());
    QTest::mouseClick(form->mnuClip, Qt::LeftButton, {}, form->mnuClip->actionGeometry(form->mnuCopy).center());
    EXPECT_EQ(takeHandlers(), (QStringList{"mnuClip_Click", "mnuCopy_Click"}));
}

TEST_F(Form1Test, ShortcutsWinFromBothTextBoxes) {
    for (QWidget* box : {static_cast<QWidget*>(form->Text1), static_cast<QWidget*>(form->txtClip)}) {
        focus(box);
        takeHandlers();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QStringList ran = takeHandlers();
        ran.removeAll(QStringLiteral("Text1_LostFocus"));
        ran.removeAll(QStringLiteral("Text1_KeyPress"));
        EXPECT_EQ(ran, (QStringList{"mnuCopy_Click", "mnuCut_Click", "mnuPaste_Click"}))
            << box->objectName().toStdString();
    }
}

TEST_F(Form1Test, AccessKeysClickTheirButtons) {
    const struct {
        Qt::Key key;
        const char* handler;
    } rows[] = {
        {Qt::Key_M, "SSCommand4_Click"}, {Qt::Key_K, "SSCommand1_Click"}, {Qt::Key_U, "SSCommand2_Click"},
        {Qt::Key_I, "SSCommand3_Click"}, {Qt::Key_E, "Command3D1_Click"},
    };
    for (const auto& row : rows) {
        focus(form->Command3D1);
        takeHandlers();
        QTest::keyClick(form->Command3D1, row.key, Qt::AltModifier);
        const QStringList ran = takeHandlers();
        ASSERT_FALSE(ran.isEmpty()) << row.handler;
        EXPECT_EQ(ran.first(), QString::fromLatin1(row.handler));
    }
}

TEST_F(Form1Test, PasswordBoxEventsReachTheirHandlers) {
    focus(form->Command3D1);
    takeHandlers();
    QTest::keyClick(form->Command3D1, Qt::Key_Tab);
    EXPECT_EQ(takeHandlers(), QStringList{"Text1_GotFocus"});
    QTest::keyClicks(form->Text1, QStringLiteral("ab"));
    EXPECT_EQ(takeHandlers(), (QStringList{"Text1_KeyPress", "Text1_KeyPress"}));
    QTest::keyClick(form->Text1, Qt::Key_Tab);
    EXPECT_EQ(takeHandlers(), QStringList{"Text1_LostFocus"});
    EXPECT_EQ(form->Text1->text(), QStringLiteral("ab"));
}

TEST_F(Form1Test, OtherEventsHaveNoHandler) {
    focus(form->txtClip);
    takeHandlers();
    QTest::keyClicks(form->txtClip, QStringLiteral("hej"));
    QTest::keyClick(form->txtClip, Qt::Key_Return);
    QTest::keyClick(form->txtClip, Qt::Key_A, Qt::ControlModifier);
    click(form->Label1);
    click(form->Label3);
    click(form->Label4);
    click(form->Image1);
    click(form->Panel3D1);
    QTest::mouseDClick(form->txtClip->viewport(), Qt::LeftButton);
    form->resize(900, 900);  // fixed size: ignored
    QApplication::processEvents();
    EXPECT_TRUE(takeHandlers().isEmpty());
    EXPECT_EQ(form->centralWidget()->size(), QSize(467, 406));
}

TEST_F(Form1Test, PasswordShowsStarsAndCannotBeTakenOut) {
    focus(form->Text1);
    QTest::keyClicks(form->Text1, QStringLiteral("hemlis"));
    EXPECT_EQ(form->Text1->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form->Text1->displayText(), QStringLiteral("******"));

    runtime.setClipboardText(QStringLiteral("förra"));
    form->Text1->selectAll();
    QTest::keyClick(form->Text1, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(form->Text1->text(), QStringLiteral("hemlis"));
    EXPECT_NE(runtime.clipboard, QStringLiteral("hemlis"));
    EXPECT_NE(QGuiApplication::clipboard()->text(), QStringLiteral("hemlis"));
}

TEST_F(Form1Test, ExitEndsTheEventLoop) {
    EXPECT_TRUE(eventLoopEndsAfter(form.get(), [this] { click(form->Command3D1); }));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(takeHandlers(), QStringList{"Command3D1_Click"});
}

TEST_F(Form1Test, ClosingTheWindowEndsTheEventLoopWithoutAHandler) {
    EXPECT_TRUE(eventLoopEndsAfter(form.get(), [this] { form->close(); }));
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(takeHandlers().isEmpty());
}

TEST_F(Form1Test, PasswordBoxHasNoLengthLimitOfItsOwn) {
    // Qt's line edit stops at 32767 characters unless told otherwise.
    const QString longPassword(40000, QLatin1Char('k'));
    form->Text1->setText(longPassword);
    EXPECT_EQ(form->Text1->text(), longPassword);
}

// The window's desktop habits: the other clipboard keys, the password box's
// colour while the keyboard is away for a moment.
#include "tests/app/form1_fixture.h"

#include <QMessageBox>

TEST_F(Form1Test, AlternateClipboardKeysRunTheWindowsCommands) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifier modifier;
        const char* handler;
        QString clipboard, text;
    } rows[] = {{Qt::Key_Insert, Qt::ControlModifier, "mnuCopy_Click", "\r\ntvå\r", "ett\r\ntvå\rtre"},
                {Qt::Key_Delete, Qt::ShiftModifier, "mnuCut_Click", "\r\ntvå\r", "etttre"},
                {Qt::Key_Insert, Qt::ShiftModifier, "mnuPaste_Click", "a\nb\r\nc", "a\nb\r\nc"}};
    form->Text1->setText(QStringLiteral("hemlis"));
    for (QWidget* box : {static_cast<QWidget*>(form->Text1), static_cast<QWidget*>(form->txtClip)}) {
        for (const auto& row : rows) {
            form->txtClip->setText(QStringLiteral("ett\r\ntvå\rtre"));
            select(3, 6);
            runtime.setClipboardText(QStringLiteral("a\nb\r\nc"));
            form->Label4->setText(QStringLiteral("Klar"));
            focus(box);
            takeHandlers();
            QTest::keyClick(box, row.key, row.modifier);
            const auto where = box->objectName().toStdString() + " " + row.handler;
            EXPECT_EQ(runtime.clipboard, row.clipboard) << where;
            EXPECT_EQ(form->txtClip->text(), row.text) << where;
            EXPECT_EQ(form->Label4->text(), QString()) << where;
            EXPECT_EQ(form->Text1->text(), QStringLiteral("hemlis")) << where;
            EXPECT_TRUE(takeHandlers().contains(QString::fromLatin1(row.handler))) << where;
        }
    }
    EXPECT_EQ(
        QKeySequence::listToString({form->mnuCopy->shortcut(), form->mnuCut->shortcut(), form->mnuPaste->shortcut()}),
        QStringLiteral("Ctrl+C; Ctrl+X; Ctrl+V"));  // what the menu shows
}

TEST_F(Form1Test, PasswordBoxKeepsItsFocusColourWhileTheKeyboardIsAway) {
    const QColor focusColour(0xA6, 0xCA, 0xF0);
    form->txtClip->setText(QStringLiteral("abc"));
    select(0, 3);
    focus(form->Text1);
    typeText(form->Text1, QStringLiteral("pw"));
    QColor duringWarning;
    runtime.answers = {RuntimeServices::Cancel};
    runtime.whileMessageBoxOpen = [&] {
        QMessageBox box(form.get());
        box.show();
        QApplication::setActiveWindow(&box);
        duringWarning = form->Text1->backColor();
        box.hide();
        QApplication::setActiveWindow(form.get());
    };
    takeHandlers();
    QTest::keyClick(form->Text1, Qt::Key_Return);
    EXPECT_EQ(duringWarning, focusColour);
    QTest::keyClick(form->Text1, Qt::Key_Alt);  // the menu bar takes the keyboard
    EXPECT_EQ(QApplication::focusWidget(), form->menuBar());
    EXPECT_EQ(form->Text1->backColor(), focusColour);
    QTest::keyClick(form->menuBar(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), form->Text1);
    EXPECT_EQ(form->Text1->backColor(), focusColour);
    EXPECT_EQ(takeHandlers(), (QStringList{"Text1_KeyPress", "cmdKryDekry_Click"}));
    // A command from the menu bar that moves the focus on is a real move.
    QTest::keyClick(form->Text1, Qt::Key_Alt);
    form->mnuPaste->trigger();
    EXPECT_EQ(QApplication::focusWidget(), form->txtClip);
    EXPECT_EQ(takeHandlers(), (QStringList{"mnuPaste_Click", "Text1_LostFocus"}));
}

// The window's desktop habits: the password box's colour while the keyboard
// is away for a moment.
#include "tests/app/form1_fixture.h"

#include <QMessageBox>

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

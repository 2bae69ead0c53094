// The window's desktop habits: the other clipboard keys of Linux and Windows,
// the password box's colour while the keyboard is away for a moment, and
// names for screen readers.
#include "form1_fixture.h"

TEST_F(Form1Test, AlternateClipboardKeysRunTheWindowsCommands) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifier modifier;
        const char* handler;
        QString clipboard, text;
    } rows[] = {
        {Qt::Key_Insert, Qt::ControlModifier, "mnuCopy_Click", "\r\ntvå\r", "ett\r\ntvå\rtre"},
        {Qt::Key_Delete, Qt::ShiftModifier, "mnuCut_Click", "\r\ntvå\r", "etttre"},
        {Qt::Key_Insert, Qt::ShiftModifier, "mnuPaste_Click", "a\nb\r\nc", "a\nb\r\nc"},
    };
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
    // The menu shows the standard keys.
    EXPECT_EQ(form->mnuCopy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(form->mnuCut->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(form->mnuPaste->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
}

#pragma once

#include <QLineEdit>

// The one-line password box: every character shows as "*", nothing can be
// copied or cut out of it, and the clipboard keys (clipboard_keys.h) are
// left to the window's menu. It reports KeyPress (with the character code,
// which a handler may change; 0 cancels the key), and GotFocus and LostFocus
// when the focus moves between it and another control of its window: a
// message box, a menu or another window taking the keyboard for a while
// moves nothing.
class PasswordBox : public QLineEdit {
    Q_OBJECT
public:
    explicit PasswordBox(QWidget* parent = nullptr);
    ~PasswordBox() override;

    void setBackColor(const QColor& color);
    QColor backColor() const;

signals:
    void gotFocus();
    void lostFocus();
    void keyPress(qint16& keyAscii);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void focusMovedInApplication(QWidget* from, QWidget* to);

    bool hasReportedFocus_ = false;  // GotFocus was the last of the two reported
};

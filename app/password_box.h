#pragma once

#include <QLineEdit>

// The one-line password box: every character shows as "*", nothing can be
// copied or cut out of it, and Ctrl+C, Ctrl+X and Ctrl+V are left to the
// window's menu. It reports GotFocus, LostFocus and KeyPress (with the
// character code, which a handler may change; 0 cancels the key).
class PasswordBox : public QLineEdit {
    Q_OBJECT
public:
    explicit PasswordBox(QWidget* parent = nullptr);

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
};

#pragma once

#include <QPlainTextEdit>
#include <QString>

class QKeyEvent;
class QMimeData;

// A multi-line text box that holds every character it is given and gives it
// back unchanged: carriage returns and line feeds standing alone, CRLF pairs,
// no-break spaces and anything else. Positions (SelStart, SelLength) count
// characters of that exact text. The clipboard keys (clipboard_keys.h) are
// left to the window's menu; the box does not handle them itself. Lines wrap
// at word boundaries, or anywhere while the text holds a huge unbreakable word.
class LosslessTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LosslessTextBox(QWidget* parent = nullptr);

    // Text: the whole exact text; writing replaces all of it.
    QString text() const;
    void setText(const QString& text);

    // SelText: the selected exact text ("" with no selection); writing
    // replaces the selection (inserts at the caret when there is none).
    QString selText() const;
    void setSelText(const QString& text);

    // SelStart, SelLength in characters of the exact text, 0 = before the
    // first character. Writing SelStart moves the caret there and empties
    // the selection; writing SelLength selects that many characters from
    // SelStart. Values out of range are clamped.
    int selStart() const;
    void setSelStart(int start);
    int selLength() const;
    void setSelLength(int length);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void changeEvent(QEvent* e) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // QPlainTextEdit's plain-text calls change line ends and no-break spaces;
    // text goes in and out through text(), setText(), selText(), setSelText().
    using QPlainTextEdit::appendPlainText;
    using QPlainTextEdit::insertPlainText;
    using QPlainTextEdit::setPlainText;
    using QPlainTextEdit::toPlainText;

    int outsidePair(int docPos) const;
    QString storedRange(int from, int to) const;
    QTextCursor exactCursor() const;
    void keepCursorOutOfPairs();
    void insertAtCursor(const QString& exact);
    void setWrapAnywhere(bool anywhere);
    void adaptWrapModeToChange(int from, int added);
    void applySelectionPalette();

    bool adjustingPalette_ = false;
    bool wrapModeSetForText_ = false;  // setText chose it for the whole text
};

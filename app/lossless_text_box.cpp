#include "app/lossless_text_box.h"

#include "app/clipboard_keys.h"
#include "app/document_form.h"
#include "app/unbreakable_run.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMimeData>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <array>

// Wrapping. Qt's word wrap searches from the start of each screen line to the
// next place it may break, so a word longer than a line is searched to its
// end once per screen line it fills: a paragraph that is one huge word (a
// pasted key, link or attachment text) takes time growing with the square of
// its length, minutes for a megabyte. While the text holds
// a run of more than kLongestWrappedWord characters with no place to break,
// lines break anywhere instead, which costs time linear in the length. The
// plain text layout gives every paragraph the same wrap mode, so all of the
// text wraps that way meanwhile; text without such runs wraps at word
// boundaries as usual. The mode is chosen before a change is laid out.

namespace {

// Far longer than any word or ordinary link; word wrap of runs up to this
// length costs at most about twice the layout of the same text in short words.
constexpr qsizetype kLongestWrappedWord = 1024;

bool hasUnwrappableRun(QStringView stored) { return hasUnbreakableRun(stored, kLongestWrappedWord); }

bool blockHasUnwrappableRun(const QTextBlock& block) {
    return block.length() > kLongestWrappedWord + 1 && hasUnwrappableRun(block.text());
}

bool isBackspace(const QKeyEvent* e) {
    return (e->key() == Qt::Key_Backspace && !(e->modifiers() & ~Qt::ShiftModifier)) ||
           e->matches(QKeySequence::Backspace);
}

// Whether the text control would insert the key's text as typed input
// (mirrors its test for acceptable input).
bool isTypedText(const QKeyEvent* e) {
    const QString text = e->text();
    if (text.isEmpty()) return false;
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format) return true;
    if (e->modifiers() == Qt::ControlModifier || e->modifiers() == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse || c == u'\t' ||
           (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

}  // namespace

LosslessTextBox::LosslessTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    applySelectionPalette();
    // Emitted before the document lays the change out.
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int from, int, int added) { adaptWrapModeToChange(from, added); });
}

QString LosslessTextBox::text() const { return fromDocumentForm(document()->toRawText()); }

void LosslessTextBox::setText(const QString& text) {
    // Like setPlainText: one replacement that cannot be undone, and the
    // document counts as unmodified afterwards.
    QTextDocument* doc = document();
    const bool undoWasEnabled = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    // Dropping the old blocks at once is far cheaper than deleting them
    // through a cursor when the text is large.
    doc->clear();
    // Chosen while the document is empty, where a change of mode costs
    // nothing, so that the text is laid out once, in the right mode.
    const QString stored = toDocumentForm(text);
    setWrapAnywhere(hasUnwrappableRun(stored));
    QTextCursor cursor(doc);
    wrapModeSetForText_ = true;
    // Inside an edit block the cursor does not lay out the last paragraph
    // to remember its x position: a long one costs tens of milliseconds.
    cursor.beginEditBlock();
    cursor.insertText(stored);
    cursor.endEditBlock();
    wrapModeSetForText_ = false;
    doc->setUndoRedoEnabled(undoWasEnabled);
    doc->setModified(false);
    setTextCursor(QTextCursor(doc));
}

QString LosslessTextBox::selText() const {
    const QTextCursor cursor = exactCursor();
    return fromDocumentForm(storedRange(cursor.selectionStart(), cursor.selectionEnd()));
}

void LosslessTextBox::setSelText(const QString& text) { insertAtCursor(text); }

int LosslessTextBox::selStart() const {
    return static_cast<int>(exactLengthOf(storedRange(0, exactCursor().selectionStart())));
}

void LosslessTextBox::setSelStart(int start) {
    const QString stored = document()->toRawText();
    QTextCursor cursor = textCursor();
    cursor.setPosition(static_cast<int>(walkExact(stored, 0, std::max(start, 0), false)));
    setTextCursor(cursor);
}

int LosslessTextBox::selLength() const {
    const QTextCursor cursor = exactCursor();
    return static_cast<int>(exactLengthOf(storedRange(cursor.selectionStart(), cursor.selectionEnd())));
}

void LosslessTextBox::setSelLength(int length) {
    const QString stored = document()->toRawText();
    QTextCursor cursor = exactCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(static_cast<int>(walkExact(stored, start, std::max(length, 0), true)), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

bool LosslessTextBox::event(QEvent* e) {
    // QPlainTextEdit would claim the copy, cut and paste keys before
    // shortcuts are looked up.
    if (leaveClipboardKeyToWindow(e)) return true;
    return QPlainTextEdit::event(e);
}

void LosslessTextBox::keyPressEvent(QKeyEvent* e) {
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    keepCursorOutOfPairs();

    // Shift+Enter breaks the line the same way as Enter: with CRLF.
    if (e->matches(QKeySequence::InsertLineSeparator)) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), e->isAutoRepeat());
        QPlainTextEdit::keyPressEvent(&enter);
        e->setAccepted(enter.isAccepted());
        return;
    }

    // Backspace after an escape pair removes the whole pair.
    if (isBackspace(e)) {
        QTextCursor cursor = textCursor();
        const int pos = cursor.position();
        const QTextDocument* doc = document();
        if (!cursor.hasSelection() && pos >= 2 &&
            isEscapePair(doc->characterAt(pos - 2).unicode(), doc->characterAt(pos - 1).unicode())) {
            cursor.setPosition(pos - 2, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            setTextCursor(cursor);
            ensureCursorVisible();
            e->accept();
            return;
        }
    }

    // Typed characters that have a stand-in go in through it.
    if (isTypedText(e) && anyStoredAsOther(e->text())) {
        insertAtCursor(e->text());
        e->accept();
        return;
    }

    QPlainTextEdit::keyPressEvent(e);
}

void LosslessTextBox::inputMethodEvent(QInputMethodEvent* e) {
    if (!isReadOnly()) keepCursorOutOfPairs();
    if (!anyStoredAsOther(e->commitString())) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    QInputMethodEvent stored(e->preeditString(), e->attributes());
    stored.setCommitString(toDocumentForm(e->commitString()), e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&stored);
    e->setAccepted(stored.isAccepted());
}

void LosslessTextBox::changeEvent(QEvent* e) {
    QPlainTextEdit::changeEvent(e);
    if (e->type() == QEvent::PaletteChange && !adjustingPalette_) applySelectionPalette();
}

QMimeData* LosslessTextBox::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    mime->setText(selText());
    return mime;
}

bool LosslessTextBox::canInsertFromMimeData(const QMimeData* source) const {
    return source != nullptr && source->hasText() && !source->text().isEmpty();
}

void LosslessTextBox::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || isReadOnly() || !source->hasText()) return;
    insertAtCursor(source->text());
}

// The document position, moved off the middle of an escape pair.
int LosslessTextBox::outsidePair(int docPos) const {
    const QTextDocument* doc = document();
    if (docPos > 0 && isEscapePair(doc->characterAt(docPos - 1).unicode(), doc->characterAt(docPos).unicode()))
        return docPos - 1;
    return docPos;
}

// The stored text between two document positions. QTextCursor::selectedText
// looks each fragment up anew (one per paragraph at least), which is slow for
// long ranges of many paragraphs; those are cut from one copy of the whole.
QString LosslessTextBox::storedRange(int from, int to) const {
    constexpr int kShortRange = 1 << 16;
    if (to - from < kShortRange) {
        QTextCursor range(document());
        range.setPosition(from);
        range.setPosition(to, QTextCursor::KeepAnchor);
        return range.selectedText();
    }
    return document()->toRawText().mid(from, to - from);
}

// The text cursor with both ends outside escape pairs.
QTextCursor LosslessTextBox::exactCursor() const {
    QTextCursor cursor = textCursor();
    const int anchor = outsidePair(cursor.anchor());
    const int position = outsidePair(cursor.position());
    if (anchor != cursor.anchor() || position != cursor.position()) {
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
    }
    return cursor;
}

void LosslessTextBox::keepCursorOutOfPairs() {
    const QTextCursor current = textCursor();
    const QTextCursor cursor = exactCursor();
    if (cursor.anchor() != current.anchor() || cursor.position() != current.position()) setTextCursor(cursor);
}

// Replaces the selection (or inserts at the caret) with exact text as one
// undo step; the caret ends after the inserted text.
void LosslessTextBox::insertAtCursor(const QString& exact) {
    const QString stored = toDocumentForm(exact);
    // Switched before the insertion, the long paragraph is laid out once.
    if (hasUnwrappableRun(stored)) setWrapAnywhere(true);
    QTextCursor cursor = exactCursor();
    cursor.insertText(stored);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void LosslessTextBox::setWrapAnywhere(bool anywhere) {
    const auto mode = anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != mode) setWordWrapMode(mode);
}

// Breaks lines anywhere exactly while some paragraph holds an unwrappable
// run. A change can only have added one in the paragraphs it touched; that
// the last one is gone takes a look at every paragraph long enough to hold
// one.
void LosslessTextBox::adaptWrapModeToChange(int from, int added) {
    if (wrapModeSetForText_) return;
    const QTextDocument* doc = document();
    const bool anywhere = wordWrapMode() == QTextOption::WrapAnywhere;
    QTextBlock block = anywhere ? doc->firstBlock() : doc->findBlock(from);
    const QTextBlock last = anywhere ? doc->lastBlock() : doc->findBlock(from + added);
    bool found = false;
    for (; block.isValid() && !found; block = block.next()) {
        found = blockHasUnwrappableRun(block);
        if (block == last) break;
    }
    setWrapAnywhere(found);
}

// The selection is shown only while the box has the focus: without it, the
// selected text is drawn like the rest.
void LosslessTextBox::applySelectionPalette() {
    QPalette p = palette();
    p.setBrush(QPalette::Inactive, QPalette::Highlight, p.brush(QPalette::Inactive, QPalette::Base));
    p.setBrush(QPalette::Inactive, QPalette::HighlightedText, p.brush(QPalette::Inactive, QPalette::Text));
    if (p == palette()) return;
    adjustingPalette_ = true;
    setPalette(p);
    adjustingPalette_ = false;
}

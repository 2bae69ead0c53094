#include "app/lossless_text_box.h"

#include "app/clipboard_keys.h"
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

// How the exact text is kept in the document.
//
// QTextDocument turns CR, LF, CRLF, U+2029, U+FDD0 and U+FDD1 into block
// separators when text is inserted; every other 16-bit unit (NUL and lone
// surrogates included) is stored as it is. So the document holds a stand-in
// form of the exact text, converted one to one in both directions:
//
//   exact text            document
//   CR LF                 U+2029, the block separator (what Enter inserts)
//   LF alone              U+2028, shown as a line break
//   CR alone              U+E00D
//   U+2028                U+E01B U+FE00
//   U+2029                U+E01B U+FE01
//   U+E00D                U+E01B U+FE02
//   U+E01B                U+E01B U+FE03
//   U+FDD0                U+E01B U+FE04
//   U+FDD1                U+E01B U+FE05
//   anything else         itself
//
// U+E01B (private use) escapes the characters that would collide with a
// stand-in or that the document cannot hold. The escaped character is named
// by a variation selector: it takes no room on screen, and the pair is one
// grapheme cluster, so the caret, mouse, word moves, line wrapping and Delete
// never split it. Backspace, which Qt lets take a cluster apart, is handled
// here. An escape not followed by one of the six selectors (it cannot arise
// from this class, only from foreign edits of the document) reads as itself.
//
// Positions: a CRLF pair is one document position, so an exact position
// between its CR and LF does not exist; a document position between an
// escape and its selector does not exist either. Both are moved to the start
// of their pair, except the end of a selection given by SelLength, which is
// moved past the CRLF so that the selection covers what was asked for.
//
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

constexpr char16_t kCrLf = 0x2029;  // QChar::ParagraphSeparator
constexpr char16_t kLf = 0x2028;    // QChar::LineSeparator
constexpr char16_t kCr = 0xE00D;
constexpr char16_t kEscape = 0xE01B;
constexpr char16_t kFirstSelector = 0xFE00;
constexpr std::array<char16_t, 6> kEscaped = {0x2028, 0x2029, 0xE00D, 0xE01B, 0xFDD0, 0xFDD1};

// Far longer than any word or ordinary link; word wrap of runs up to this
// length costs at most about twice the layout of the same text in short words.
constexpr qsizetype kLongestWrappedWord = 1024;

bool hasUnwrappableRun(QStringView stored) {
    return hasUnbreakableRun(stored, kLongestWrappedWord);
}

bool blockHasUnwrappableRun(const QTextBlock& block) {
    return block.length() > kLongestWrappedWord + 1 && hasUnwrappableRun(block.text());
}

bool isSelector(char16_t c) {
    return c >= kFirstSelector && c < kFirstSelector + kEscaped.size();
}

// The selector that names c, or 0 when c needs no escape.
char16_t selectorFor(char16_t c) {
    const auto found = std::find(kEscaped.begin(), kEscaped.end(), c);
    if (found == kEscaped.end()) return 0;
    return static_cast<char16_t>(kFirstSelector + (found - kEscaped.begin()));
}

// True for the units whose stored form differs from themselves. Everything
// below U+2028 except CR and LF is stored unchanged: the common case.
bool storedAsOther(char16_t c) {
    if (c < kLf) return c == u'\r' || c == u'\n';
    return selectorFor(c) != 0;
}

bool anyStoredAsOther(const QString& s) {
    return std::any_of(s.cbegin(), s.cend(), [](QChar c) { return storedAsOther(c.unicode()); });
}

bool isPairAt(const QChar* stored, qsizetype i, qsizetype n) {
    return stored[i].unicode() == kEscape && i + 1 < n && isSelector(stored[i + 1].unicode());
}

// Number of exact characters that a stored span stands for. The span must
// start and end outside escape pairs.
qsizetype exactLengthOf(const QString& stored) {
    const QChar* s = stored.constData();
    const qsizetype n = stored.size();
    qsizetype length = n;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < kLf) continue;
        if (c == kCrLf) {
            ++length;
        } else if (isPairAt(s, i, n)) {
            --length;
            ++i;
        }
    }
    return length;
}

// The document position reached by walking `count` exact characters forward
// from document position `from`, stopping at the end. A count that ends
// between the CR and LF of a pair stops before the pair, or after it when
// roundUp is set.
qsizetype walkExact(const QString& stored, qsizetype from, qsizetype count, bool roundUp) {
    const QChar* s = stored.constData();
    const qsizetype n = stored.size();
    qsizetype i = from;
    while (count > 0 && i < n) {
        const char16_t c = s[i].unicode();
        if (c == kCrLf) {
            if (count == 1) return roundUp ? i + 1 : i;
            count -= 2;
            ++i;
        } else {
            --count;
            i += isPairAt(s, i, n) ? 2 : 1;
        }
    }
    return i;
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
    if (e->modifiers() == Qt::ControlModifier ||
        e->modifiers() == (Qt::ShiftModifier | Qt::ControlModifier))
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

QString LosslessTextBox::toDocumentForm(const QString& exact) {
    const QChar* in = exact.constData();
    const qsizetype n = exact.size();
    qsizetype escapes = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (c >= kLf && selectorFor(c) != 0) ++escapes;
    }
    QString stored(n + escapes, Qt::Uninitialized);
    QChar* out = stored.data();
    QChar* o = out;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (!storedAsOther(c)) {
            *o++ = QChar(c);
        } else if (c == u'\r') {
            if (i + 1 < n && in[i + 1].unicode() == u'\n') {
                *o++ = QChar(kCrLf);
                ++i;
            } else {
                *o++ = QChar(kCr);
            }
        } else if (c == u'\n') {
            *o++ = QChar(kLf);
        } else {
            *o++ = QChar(kEscape);
            *o++ = QChar(selectorFor(c));
        }
    }
    stored.truncate(o - out);
    return stored;
}

QString LosslessTextBox::fromDocumentForm(const QString& stored) {
    const QChar* in = stored.constData();
    const qsizetype n = stored.size();
    QString exact(exactLengthOf(stored), Qt::Uninitialized);
    QChar* out = exact.data();
    QChar* o = out;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (c < kLf) {
            *o++ = QChar(c);
        } else if (c == kCrLf) {
            *o++ = QChar(u'\r');
            *o++ = QChar(u'\n');
        } else if (c == kLf) {
            *o++ = QChar(u'\n');
        } else if (c == kCr) {
            *o++ = QChar(u'\r');
        } else if (isPairAt(in, i, n)) {
            *o++ = QChar(kEscaped[in[i + 1].unicode() - kFirstSelector]);
            ++i;
        } else {
            *o++ = QChar(c);
        }
    }
    exact.truncate(o - out);
    return exact;
}

QString LosslessTextBox::text() const {
    return fromDocumentForm(document()->toRawText());
}

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

void LosslessTextBox::setSelText(const QString& text) {
    insertAtCursor(text);
}

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
    cursor.setPosition(static_cast<int>(walkExact(stored, start, std::max(length, 0), true)),
                       QTextCursor::KeepAnchor);
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
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                        e->isAutoRepeat());
        QPlainTextEdit::keyPressEvent(&enter);
        e->setAccepted(enter.isAccepted());
        return;
    }

    // Backspace after an escape pair removes the whole pair.
    if (isBackspace(e)) {
        QTextCursor cursor = textCursor();
        const int pos = cursor.position();
        const QTextDocument* doc = document();
        if (!cursor.hasSelection() && pos >= 2 && isSelector(doc->characterAt(pos - 1).unicode()) &&
            doc->characterAt(pos - 2).unicode() == kEscape) {
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
    stored.setCommitString(toDocumentForm(e->commitString()), e->replacementStart(),
                           e->replacementLength());
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
    if (docPos > 0 && doc->characterAt(docPos - 1).unicode() == kEscape &&
        isSelector(doc->characterAt(docPos).unicode()))
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
    if (cursor.anchor() != current.anchor() || cursor.position() != current.position())
        setTextCursor(cursor);
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
    p.setBrush(QPalette::Inactive, QPalette::HighlightedText,
               p.brush(QPalette::Inactive, QPalette::Text));
    if (p == palette()) return;
    adjustingPalette_ = true;
    setPalette(p);
    adjustingPalette_ = false;
}

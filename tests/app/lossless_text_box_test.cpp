// The text box must hold every character exactly, whichever way text goes in
// or out: the API, typing, the clipboard, drag and drop, input methods, undo.
#include "lossless_text_box.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <random>
#include <vector>

// Readable failure messages: printable ASCII as is, the rest as \uXXXX.
void PrintTo(const QString& s, std::ostream* os) {
    static const char digits[] = "0123456789ABCDEF";
    *os << '"';
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F) {
            *os << static_cast<char>(u);
        } else {
            *os << "\\u" << digits[(u >> 12) & 15] << digits[(u >> 8) & 15] << digits[(u >> 4) & 15]
                << digits[u & 15];
        }
    }
    *os << '"';
}

namespace {

QString units(std::initializer_list<char16_t> list) {
    QString s;
    for (char16_t u : list) s.append(QChar(u));
    return s;
}

// The 255 non-zero Windows-1252 codes as Unicode (the five unassigned codes
// 81, 8D, 8F, 90, 9D pass through as C1 controls, as Windows maps them).
QString windows1252() {
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString s;
    for (char16_t b = 1; b < 256; ++b) s.append(QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : b));
    return s;
}

// Pieces that stress the stored form: line ends, the stand-ins themselves,
// escape and selector characters, things Qt alters elsewhere.
const std::vector<QString>& awkwardPieces() {
    static const std::vector<QString> pieces = {
        "\r\n", "\r", "\n", "\r\r\n", "\n\r", "a", units({0xE9}), "\t", units({0x00A0}),
        units({0x2028}), units({0x2029}), units({0xE00D}), units({0xE01B}), units({0xFE00}),
        units({0xFE03}), units({0xE01B, 0xFE01}), units({0xFDD0}), units({0xFDD1}), units({0}),
        units({0xD800}), units({0xDC00}), units({0xD83D, 0xDE00}), units({0x0301})};
    return pieces;
}

QString randomMixture(std::mt19937& rng, int pieces) {
    const auto& all = awkwardPieces();
    std::uniform_int_distribution<std::size_t> pick(0, all.size() - 1);
    QString s;
    for (int i = 0; i < pieces; ++i) s += all[pick(rng)];
    return s;
}

QString shortMixedText() {
    return QString("a\r\nb\rc\nd") + units({0x2028, 0x2029, 0xE00D, 0xE01B, 0xFE00}) + "\r\n\r\n" +
           units({0x00A0, 0, 0xD800}) + "\r";
}

// What SelStart/SelLength must report after setSelStart(start) and
// setSelLength(length): out-of-range values clamped, a start between CR and
// LF moved before the pair, an end between them moved past it.
bool betweenCrAndLf(const QString& t, qsizetype p) {
    return p > 0 && p < t.size() && t[p - 1] == u'\r' && t[p] == u'\n';
}
std::pair<qsizetype, qsizetype> expectedSelection(const QString& t, qsizetype start, qsizetype length) {
    qsizetype s = std::clamp<qsizetype>(start, 0, t.size());
    if (betweenCrAndLf(t, s)) --s;
    qsizetype e = std::clamp<qsizetype>(s + std::max<qsizetype>(length, 0), s, t.size());
    if (betweenCrAndLf(t, e)) ++e;
    return {s, e - s};
}

void expectSelection(LosslessTextBox& box, const QString& t, int start, int length) {
    box.setSelStart(start);
    box.setSelLength(length);
    const auto [s, n] = expectedSelection(t, start, length);
    ASSERT_EQ(box.selStart(), s) << "start " << start << " length " << length;
    ASSERT_EQ(box.selLength(), n) << "start " << start << " length " << length;
    ASSERT_EQ(box.selText(), t.mid(s, n)) << "start " << start << " length " << length;
}

void typeUnits(QWidget* w, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, static_cast<Qt::Key>(c.unicode()), QString(c),
                            Qt::NoModifier);
}

void putOnClipboard(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);
}

// Opens the box's own context menu as a right click would and picks an entry.
void triggerMenuAction(QPlainTextEdit& box, const char* name) {
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    const auto actions = menu->actions();
    const auto it = std::find_if(actions.begin(), actions.end(),
                                 [name](QAction* a) { return a->objectName() == QLatin1String(name); });
    ASSERT_NE(it, actions.end()) << name;
    ASSERT_TRUE((*it)->isEnabled()) << name;
    (*it)->trigger();
}

}  // namespace

TEST(LosslessTextBoxRoundTrip, EveryWindows1252CharacterAloneAndTogether) {
    LosslessTextBox box;
    const QString all = windows1252();
    ASSERT_EQ(all.size(), 255);
    for (QChar c : all) {
        box.setText(QString(c));
        EXPECT_EQ(box.text(), QString(c)) << "U+" << std::hex << static_cast<int>(c.unicode());
        box.selectAll();
        EXPECT_EQ(box.selText(), QString(c));
        EXPECT_EQ(box.selLength(), 1);
    }
    QString both = all;
    std::reverse(both.begin(), both.end());
    both = all + both;  // every code next to different neighbours
    box.setText(both);
    EXPECT_EQ(box.text(), both);
}

TEST(LosslessTextBoxRoundTrip, EverySixteenBitUnit) {
    LosslessTextBox box;
    QString all;
    for (int u = 0; u < 0x10000; ++u) all.append(QChar(static_cast<char16_t>(u)));
    box.setText(all);
    EXPECT_EQ(box.text(), all);
    box.selectAll();
    EXPECT_EQ(box.selText(), all);
    EXPECT_EQ(box.selLength(), all.size());
    // A real escape or stand-in right before the real selector characters.
    for (QChar c : units({0xE01B, 0x2029, 0xFDD0, 0xE00D, 0x2028})) {
        const QString s = c + all.mid(0xFE00, 8) + c;
        box.setText(s);
        EXPECT_EQ(box.text(), s);
    }
}

TEST(LosslessTextBoxRoundTrip, RandomMixtures) {
    LosslessTextBox box;
    std::mt19937 rng(20240611);
    for (int round = 0; round < 400; ++round) {
        const QString t = randomMixture(rng, round % 40);
        box.setText(t);
        ASSERT_EQ(box.text(), t) << "round " << round;
        box.selectAll();
        ASSERT_EQ(box.selText(), t) << "round " << round;
        ASSERT_EQ(box.selStart(), 0);
        ASSERT_EQ(box.selLength(), t.size());
        ASSERT_EQ(LosslessTextBox::fromDocumentForm(LosslessTextBox::toDocumentForm(t)), t);
    }
}

TEST(LosslessTextBoxRoundTrip, LineEndsShowAsTheyShould) {
    LosslessTextBox box;
    box.setLineWrapMode(QPlainTextEdit::NoWrap);  // breaks from line ends only
    box.setText("ab\r\ncd\nef\rgh");
    // CRLF is a paragraph (what Enter makes), a lone LF a line break in it,
    // a lone CR no break at all.
    ASSERT_EQ(box.document()->blockCount(), 2);
    const QTextBlock second = box.document()->lastBlock();
    box.document()->documentLayout()->blockBoundingRect(second);  // lays the block out
    EXPECT_EQ(second.layout()->lineCount(), 2);
}

TEST(LosslessTextBoxSelection, EverySubSelectionOfAShortText) {
    LosslessTextBox box;
    const QString t = shortMixedText();
    box.setText(t);
    const int n = static_cast<int>(t.size());
    for (int start = -2; start <= n + 2; ++start)
        for (int length = -1; length <= n + 2 - std::max(start, 0); ++length)
            ASSERT_NO_FATAL_FAILURE(expectSelection(box, t, start, length));
}

TEST(LosslessTextBoxSelection, RandomSubSelectionsOfALongText) {
    LosslessTextBox box;
    std::mt19937 rng(77);
    const QString t = randomMixture(rng, 3000);
    box.setText(t);
    const int n = static_cast<int>(t.size());
    std::uniform_int_distribution<int> pos(0, n);
    for (int i = 0; i < 1500; ++i) {
        const int start = pos(rng);
        ASSERT_NO_FATAL_FAILURE(expectSelection(box, t, start, pos(rng) / (i % 3 == 0 ? 1 : 50)));
    }
    expectSelection(box, t, n / 2, INT_MAX);  // no overflow past the end
}

TEST(LosslessTextBoxSelection, ClampsAroundCrLfAndOutOfRange) {
    LosslessTextBox box;
    box.setText("ab\r\ncd");
    box.setSelStart(3);  // between CR and LF
    EXPECT_EQ(box.selStart(), 2);
    EXPECT_EQ(box.selLength(), 0);
    box.setSelLength(1);  // would end between CR and LF: takes the pair
    EXPECT_EQ(box.selText(), "\r\n");
    box.setSelStart(1);
    box.setSelLength(2);
    EXPECT_EQ(box.selText(), "b\r\n");
    box.setSelStart(-4);
    EXPECT_EQ(box.selStart(), 0);
    box.setSelStart(99);
    EXPECT_EQ(box.selStart(), 6);
    box.setSelStart(4);
    box.setSelLength(-3);
    EXPECT_EQ(box.selLength(), 0);
    EXPECT_EQ(box.selText(), "");
}

TEST(LosslessTextBoxSelection, KeyboardSelectionCountsExactCharacters) {
    LosslessTextBox box;
    box.setText(QString("a\r\nb") + units({0x2029}) + "c");
    QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(box.selText(), "a\r\n");
    EXPECT_EQ(box.selLength(), 3);
    QTest::keyClick(&box, Qt::Key_Right);
    QTest::keyClick(&box, Qt::Key_Right);
    QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);  // over the U+2029 as one
    EXPECT_EQ(box.selStart(), 4);
    EXPECT_EQ(box.selText(), units({0x2029}));
}

// QPlainTextEdit's own cursor API can put the caret on any document
// position; whatever it picks, the box reads and edits exact text.
TEST(LosslessTextBoxEditing, CaretPutAnywhereThroughQtKeepsTextExact) {
    LosslessTextBox box;
    const QString t = shortMixedText();
    box.setText(t);
    const int positions = box.document()->characterCount();
    for (int p = 0; p < positions; ++p) {
        box.setText(t);
        QTextCursor cursor(box.document());
        cursor.setPosition(p);
        box.setTextCursor(cursor);
        const int at = box.selStart();
        EXPECT_EQ(box.selLength(), 0);
        QTest::keyClicks(&box, "z");
        ASSERT_EQ(box.text(), t.left(at) + "z" + t.mid(at)) << "document position " << p;
        for (int q = 0; q < positions; ++q) {
            box.setText(t);
            cursor.setPosition(p);
            cursor.setPosition(q, QTextCursor::KeepAnchor);
            box.setTextCursor(cursor);
            const int start = box.selStart();
            const int length = box.selLength();
            ASSERT_EQ(box.selText(), t.mid(start, length)) << p << "-" << q;
            if (length == 0) continue;
            QTest::keyClick(&box, Qt::Key_Delete);  // removes just the selected characters
            ASSERT_EQ(box.text(), t.left(start) + t.mid(start + length)) << p << "-" << q;
        }
    }
}

TEST(LosslessTextBoxEditing, SetSelTextReplacesTheSelectionAsOneUndoStep) {
    LosslessTextBox box;
    const QString t = shortMixedText();
    const QString insert = QString("X\r\n") + units({0xE01B, 0x2028}) + "\rY\n";
    box.setText(t);
    box.setSelStart(4);
    box.setSelLength(5);
    box.setSelText(insert);
    const QString expected = t.left(4) + insert + t.mid(9);
    EXPECT_EQ(box.text(), expected);
    EXPECT_EQ(box.selStart(), 4 + insert.size());
    EXPECT_EQ(box.selLength(), 0);
    box.setSelText("\n");  // no selection: inserted at the caret
    EXPECT_EQ(box.text(), t.left(4) + insert + "\n" + t.mid(9));
    box.undo();
    EXPECT_EQ(box.text(), expected);
    box.undo();
    EXPECT_EQ(box.text(), t);
    box.redo();
    EXPECT_EQ(box.text(), expected);
}

TEST(LosslessTextBoxEditing, SetTextPutsTheCaretFirstAndCannotBeUndone) {
    LosslessTextBox box;
    box.setText("one");
    box.setSelStart(3);
    box.setSelText("\r\ntwo");
    ASSERT_TRUE(box.document()->isUndoAvailable());
    box.setText("x\ry");
    EXPECT_FALSE(box.document()->isUndoAvailable());
    EXPECT_EQ(box.selStart(), 0);
    EXPECT_EQ(box.selLength(), 0);
    EXPECT_EQ(box.text(), "x\ry");
}

TEST(LosslessTextBoxEditing, TypingEnterBackspaceAndDelete) {
    LosslessTextBox box;
    QTest::keyClicks(&box, "ab");
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClicks(&box, "c");
    EXPECT_EQ(box.text(), "ab\r\n\r\n\r\nc");
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Backspace);  // the whole CRLF
    EXPECT_EQ(box.text(), "ab\r\n\r\n");
    EXPECT_EQ(box.selStart(), 6);
    box.setSelStart(2);
    QTest::keyClick(&box, Qt::Key_Delete);
    EXPECT_EQ(box.text(), "ab\r\n");
    typeUnits(&box, units({0x2028, 0xE00D, 0xE01B, 0x2029, 0x00A0}));
    EXPECT_EQ(box.text(), "ab" + units({0x2028, 0xE00D, 0xE01B, 0x2029, 0x00A0}) + "\r\n");
}

TEST(LosslessTextBoxEditing, EscapedCharactersGoAsOne) {
    LosslessTextBox box;
    for (char16_t escaped : std::initializer_list<char16_t>{0x2028, 0x2029, 0xE00D, 0xE01B, 0xFDD0, 0xFDD1}) {
        const QString t = "x" + units({escaped}) + "y";
        box.setText(t);
        box.setSelStart(2);
        QTest::keyClick(&box, Qt::Key_Backspace);
        EXPECT_EQ(box.text(), "xy") << std::hex << static_cast<int>(escaped);
        box.setText(t);
        box.setSelStart(1);
        QTest::keyClick(&box, Qt::Key_Delete);
        EXPECT_EQ(box.text(), "xy") << std::hex << static_cast<int>(escaped);
        box.setText(t);
        box.setSelStart(1);
        QTest::keyClick(&box, Qt::Key_Right);
        QTest::keyClicks(&box, "z");
        EXPECT_EQ(box.text(), "x" + units({escaped}) + "zy") << std::hex << static_cast<int>(escaped);
    }
}

TEST(LosslessTextBoxEditing, UndoAndRedoStepThroughExactStates) {
    LosslessTextBox box;
    box.setText(QString("start\r") + units({0x00A0}) + "\n");
    std::vector<QString> states{box.text()};
    const auto record = [&] { states.push_back(box.text()); };
    box.setSelStart(6);
    QTest::keyClicks(&box, "ab");
    record();
    QTest::keyClick(&box, Qt::Key_Return);
    record();
    putOnClipboard(units({0x2029, 0xE00D}) + "\r\r\n");
    box.paste();
    record();
    box.setSelStart(1);
    box.setSelLength(7);
    box.setSelText("\n");
    record();
    box.setSelStart(7);
    QTest::keyClick(&box, Qt::Key_Backspace);
    record();

    // Qt may merge neighbouring edits into one step: each undo must land on
    // an earlier recorded state, ending at the first.
    std::size_t at = states.size() - 1;
    while (box.document()->isUndoAvailable()) {
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        const auto it = std::find(states.begin(), states.begin() + static_cast<long>(at), box.text());
        ASSERT_NE(it, states.begin() + static_cast<long>(at)) << "undo from state " << at;
        at = static_cast<std::size_t>(it - states.begin());
    }
    EXPECT_EQ(at, 0U);
    while (box.document()->isRedoAvailable()) {
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        const auto it = std::find(states.begin() + static_cast<long>(at) + 1, states.end(), box.text());
        ASSERT_NE(it, states.end()) << "redo from state " << at;
        at = static_cast<std::size_t>(it - states.begin());
    }
    EXPECT_EQ(at, states.size() - 1);
}

TEST(LosslessTextBoxClipboard, CopyCutAndPasteCarryExactText) {
    LosslessTextBox box;
    const QString t = shortMixedText();
    box.setText(t);
    box.setSelStart(1);
    box.setSelLength(12);
    box.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), t.mid(1, 12));
    putOnClipboard("other");
    box.cut();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), t.mid(1, 12));
    EXPECT_EQ(box.text(), t.left(1) + t.mid(13));

    const QString pasted = QString("p\r\nq\rr\ns") + units({0x00A0, 0x2028, 0xE01B, 0xFE02, 0});
    putOnClipboard(pasted);
    box.setText(t);
    box.setSelStart(3);
    box.paste();
    EXPECT_EQ(box.text(), t.left(3) + pasted + t.mid(3));
    EXPECT_EQ(box.selStart(), 3 + pasted.size());
}

TEST(LosslessTextBoxClipboard, ContextMenuActionsUseTheExactPaths) {
    LosslessTextBox box;
    const QString t = shortMixedText();
    box.setText(t);
    box.setSelStart(3);
    box.setSelLength(10);
    ASSERT_NO_FATAL_FAILURE(triggerMenuAction(box, "edit-copy"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), t.mid(3, 10));
    putOnClipboard("other");
    ASSERT_NO_FATAL_FAILURE(triggerMenuAction(box, "edit-cut"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), t.mid(3, 10));
    EXPECT_EQ(box.text(), t.left(3) + t.mid(13));
    box.setSelStart(0);
    ASSERT_NO_FATAL_FAILURE(triggerMenuAction(box, "edit-paste"));
    EXPECT_EQ(box.text(), t.mid(3, 10) + t.left(3) + t.mid(13));
}

TEST(LosslessTextBoxClipboard, AcceptsOnlyText) {
    LosslessTextBox box;
    auto* html = new QMimeData;
    html->setHtml("<b>x</b>");
    QGuiApplication::clipboard()->setMimeData(html);
    EXPECT_FALSE(box.canPaste());
    putOnClipboard("");
    EXPECT_FALSE(box.canPaste());
    putOnClipboard("x\r");
    EXPECT_TRUE(box.canPaste());
}

TEST(LosslessTextBoxClipboard, DropInsertsExactText) {
    LosslessTextBox box;
    box.resize(400, 300);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.setText("ab");
    QMimeData data;
    const QString dropped = QString("x\r\ny\rz\n") + units({0x2029});
    data.setText(dropped);
    const QPoint below(390, 290);  // under the text: drops at the end
    QDragEnterEvent enter(below, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(below, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(box.text(), "ab" + dropped);
}

TEST(LosslessTextBoxInputMethod, CommitStringIsTakenExactly) {
    LosslessTextBox box;
    box.setText("<>");
    box.setSelStart(1);
    QInputMethodEvent preedit("ka", {});
    QApplication::sendEvent(&box, &preedit);
    EXPECT_EQ(box.text(), "<>");
    const QString commit = QString("a\r\nb\rc\n") + units({0x2028, 0x00A0, 0xE00D});
    QInputMethodEvent done;
    done.setCommitString(commit);
    QApplication::sendEvent(&box, &done);
    EXPECT_EQ(box.text(), "<" + commit + ">");
    EXPECT_EQ(box.selStart(), 1 + commit.size());
}

class LosslessTextBoxWindow : public ::testing::Test {
protected:
    // A window whose action has the shortcut, with the editor focused.
    template <class Editor>
    int actionFires(Editor& editor, const QKeySequence& shortcut) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        editor.setParent(&window);
        layout->addWidget(&editor);
        QAction action(&window);
        action.setShortcut(shortcut);
        action.setShortcutContext(Qt::WindowShortcut);
        window.addAction(&action);
        int fired = 0;
        QObject::connect(&action, &QAction::triggered, [&] { ++fired; });
        window.show();
        window.activateWindow();
        editor.setFocus();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        const QKeyCombination key = shortcut[0];
        QTest::keyClick(&editor, key.key(), key.keyboardModifiers());
        editor.setParent(nullptr);
        return fired;
    }
};

TEST_F(LosslessTextBoxWindow, ClipboardKeysReachTheWindowActions) {
    for (auto which : {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste}) {
        const auto bindings = QKeySequence::keyBindings(which);
        ASSERT_FALSE(bindings.isEmpty());
        for (const QKeySequence& shortcut : bindings) {
            LosslessTextBox box;
            box.setText("a\r\nb");
            box.selectAll();
            putOnClipboard("before");
            EXPECT_EQ(actionFires(box, shortcut), 1) << shortcut.toString().toStdString();
            EXPECT_EQ(box.text(), "a\r\nb") << shortcut.toString().toStdString();
            EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
        }
    }
}

TEST_F(LosslessTextBoxWindow, APlainEditorWouldKeepCtrlVForItself) {
    QPlainTextEdit plain;
    EXPECT_EQ(actionFires(plain, QKeySequence(Qt::CTRL | Qt::Key_V)), 0);
}

TEST(LosslessTextBoxKeys, ClipboardKeysDoNothingInTheBoxItself) {
    LosslessTextBox box;
    box.setText("a\r\nb");
    box.selectAll();
    putOnClipboard("before");
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(box.text(), "a\r\nb");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
}

TEST(LosslessTextBoxLook, SelectionHiddenWithoutFocus) {
    LosslessTextBox box;
    const auto check = [&box] {
        const QPalette p = box.palette();
        EXPECT_EQ(p.color(QPalette::Inactive, QPalette::Highlight), p.color(QPalette::Inactive, QPalette::Base));
        EXPECT_EQ(p.color(QPalette::Inactive, QPalette::HighlightedText),
                  p.color(QPalette::Inactive, QPalette::Text));
        EXPECT_NE(p.color(QPalette::Active, QPalette::Highlight), p.color(QPalette::Active, QPalette::Base));
    };
    check();
    QPalette colours = box.palette();  // the window sets its own colours
    colours.setColor(QPalette::Base, QColor(250, 240, 200));
    colours.setColor(QPalette::Text, QColor(20, 20, 120));
    box.setPalette(colours);
    check();
    EXPECT_EQ(box.palette().color(QPalette::Inactive, QPalette::Highlight), QColor(250, 240, 200));

    box.resize(300, 120);
    box.setText("Hej hej\r\nvärlden");
    const QImage plain = box.grab().toImage();
    box.selectAll();
    EXPECT_EQ(box.grab().toImage(), plain);  // drawn unfocused: no visible selection

    box.show();
    box.activateWindow();
    box.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    ASSERT_TRUE(box.hasFocus());
    EXPECT_NE(box.grab().toImage(), plain);  // focused: the selection shows
}

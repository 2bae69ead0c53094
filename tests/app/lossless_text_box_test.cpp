// The text box must hold every character exactly, whichever way text goes in
// or out: the API, typing, the clipboard, drag and drop, input methods, undo.
#include "app/lossless_text_box.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {

QString units(std::initializer_list<char16_t> list) {
    QString s;
    for (char16_t u : list) s.append(QChar(u));
    return s;
}

// Pieces that stress the stored form: line ends, the stand-ins themselves,
// escape and selector characters, things Qt alters elsewhere.
QString randomMixture(std::mt19937& rng, int pieces) {
    // A table, laid out by hand.
    // clang-format off
    static const QString all[] = {
        "\r\n", "\r", "\n", "\r\r\n", "\n\r", "a", units({0xE9}), "\t", units({0x00A0}), units({0x2028}),
        units({0x2029}), units({0xE00D}), units({0xE01B}), units({0xFE00}), units({0xFE03}), units({0xE01B, 0xFE01}),
        units({0xFDD0}), units({0xFDD1}), units({0}), units({0xD800}), units({0xDC00}), units({0xD83D, 0xDE00}),
        units({0x0301})};
    // clang-format on
    std::uniform_int_distribution<std::size_t> pick(0, std::size(all) - 1);
    QString s;
    for (int i = 0; i < pieces; ++i) s += all[pick(rng)];
    return s;
}

const QString kMixed =
    "a\r\nb\rc\nd" + units({0x2028, 0x2029, 0xE00D, 0xE01B, 0xFE00}) + "\r\n\r\n" + units({0x00A0, 0, 0xD800}) + "\r";

// After setSelStart(start) and setSelLength(length): out-of-range values
// clamped, a start between CR and LF moved before the pair, an end between
// them moved past it.
void expectSelection(LosslessTextBox& box, const QString& t, int start, int length) {
    const auto inPair = [&t](qsizetype p) { return p > 0 && p < t.size() && t[p - 1] == u'\r' && t[p] == u'\n'; };
    qsizetype s = std::clamp<qsizetype>(start, 0, t.size());
    s -= inPair(s);
    qsizetype e = std::clamp<qsizetype>(s + std::max(length, 0), s, t.size());
    e += inPair(e);
    box.setSelStart(start);
    box.setSelLength(length);
    ASSERT_EQ(box.selStart(), s) << "start " << start << " length " << length;
    ASSERT_EQ(box.selLength(), e - s) << "start " << start << " length " << length;
    ASSERT_EQ(box.selText(), t.mid(s, e - s)) << "start " << start << " length " << length;
}

void putOnClipboard(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace

TEST(LosslessTextBox, EveryUnitAndRandomMixturesComeBackExactly) {
    LosslessTextBox box;
    QString all;
    for (int u = 0; u < 0x10000; ++u) all.append(QChar(static_cast<char16_t>(u)));
    std::mt19937 rng(20240611);
    std::vector<QString> texts = {all, units({0xE01B}) + all.mid(0xFE00, 8) + units({0x2029})};
    for (int round = 0; round < 400; ++round) texts.push_back(randomMixture(rng, round % 40));
    for (char16_t c : {u'\u20AC', u'\u0081', u'\u0178', u'\u00FF', u'\n', u'\r'}) texts.push_back(QString(QChar(c)));
    for (const QString& t : texts) {
        box.setText(t);
        ASSERT_EQ(box.text(), t);
        box.selectAll();
        ASSERT_EQ(box.selText(), t);
        ASSERT_EQ(box.selStart(), 0);
        ASSERT_EQ(box.selLength(), t.size());
    }
    box.setText("ab\r\ncd\nef\rgh");  // CRLF is a paragraph, as Enter makes
    EXPECT_EQ(box.document()->blockCount(), 2);
}

TEST(LosslessTextBox, SelectionsCountExactCharacters) {
    LosslessTextBox box;
    box.setText(kMixed);
    const int n = static_cast<int>(kMixed.size());
    for (int start = -2; start <= n + 2; ++start) {
        for (int length = -1; length <= n + 2 - std::max(start, 0); ++length)
            ASSERT_NO_FATAL_FAILURE(expectSelection(box, kMixed, start, length));
    }
    expectSelection(box, kMixed, n / 2, INT_MAX);
    box.setSelStart(1);
    QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);  // over CRLF as one
    QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(box.selText(), "\r\nb");
}

// QPlainTextEdit's own cursor API can put the caret on any document
// position; whatever it picks, the box reads and edits exact text.
TEST(LosslessTextBox, CaretPutAnywhereThroughQtKeepsTextExact) {
    LosslessTextBox box;
    box.setText(kMixed);
    const int positions = box.document()->characterCount();
    for (int p = 0; p < positions; ++p) {
        box.setText(kMixed);
        QTextCursor cursor(box.document());
        cursor.setPosition(p);
        box.setTextCursor(cursor);
        const int at = box.selStart();
        EXPECT_EQ(box.selLength(), 0);
        QTest::keyClicks(&box, "z");
        ASSERT_EQ(box.text(), kMixed.left(at) + "z" + kMixed.mid(at)) << "document position " << p;
        for (int q = 0; q < positions; ++q) {
            box.setText(kMixed);
            cursor.setPosition(p);
            cursor.setPosition(q, QTextCursor::KeepAnchor);
            box.setTextCursor(cursor);
            const int start = box.selStart(), length = box.selLength();
            ASSERT_EQ(box.selText(), kMixed.mid(start, length)) << p << "-" << q;
            if (length == 0) continue;
            QTest::keyClick(&box, Qt::Key_Delete);
            ASSERT_EQ(box.text(), kMixed.left(start) + kMixed.mid(start + length)) << p << "-" << q;
        }
    }
}

TEST(LosslessTextBox, TypingEnterBackspaceAndDeleteTakeWholeCharacters) {
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
    const QString typed = units({0x2028, 0xE00D, 0xE01B, 0x2029, 0x00A0});
    for (QChar c : typed) QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    EXPECT_EQ(box.text(), "ab" + typed + "\r\n");
    for (QChar c : typed + units({0xFDD0, 0xFDD1})) {
        for (const QString& t : {"x" + QString(c) + "y", QString(c) + "xy"}) {  // also first in the text
            const int at = static_cast<int>(t.indexOf(c));
            for (const auto& [from, key] : {std::pair{at + 1, Qt::Key_Backspace}, {at, Qt::Key_Delete}}) {
                box.setText(t);
                box.setSelStart(from);
                QTest::keyClick(&box, key);
                EXPECT_EQ(box.text(), "xy") << std::hex << static_cast<int>(c.unicode());
            }
        }
    }

    // setSelText is one undo step, setText none.
    box.setText("one");
    box.setSelStart(3);
    box.setSelText("\r\ntwo");
    box.setText(kMixed);  // cannot be undone, caret first
    EXPECT_FALSE(box.document()->isUndoAvailable());
    EXPECT_EQ(box.selStart() + box.selLength(), 0);
    const QString insert = "X\r\n" + units({0xE01B, 0x2028}) + "\rY\n";
    box.setSelStart(4);
    box.setSelLength(5);
    box.setSelText(insert);
    const QString expected = kMixed.left(4) + insert + kMixed.mid(9);
    EXPECT_EQ(box.text(), expected);
    EXPECT_EQ(box.selStart(), 4 + insert.size());
    EXPECT_EQ(box.selLength(), 0);
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box.text(), kMixed);
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(box.text(), expected);
}

TEST(LosslessTextBox, ClipboardMenuAndInputMethodCarryExactText) {
    LosslessTextBox box;
    for (const char* way : {"api", "edit-copy", "edit-cut", "edit-paste"}) {
        box.setText(kMixed);
        box.setSelStart(3);
        box.setSelLength(10);
        putOnClipboard("other");
        const QString name = QString::fromLatin1(way);
        const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        for (QAction* action : menu->actions()) {
            if (action->objectName() == name) action->trigger();
        }
        if (name == "api") box.cut();
        const bool cut = name != "edit-copy" && name != "edit-paste";
        EXPECT_EQ(QGuiApplication::clipboard()->text(), name == "edit-paste" ? "other" : kMixed.mid(3, 10)) << way;
        EXPECT_EQ(box.text(), name == "edit-paste" ? kMixed.left(3) + "other" + kMixed.mid(13)
                              : cut                ? kMixed.left(3) + kMixed.mid(13)
                                                   : kMixed)
            << way;
    }
    const QString pasted = "p\r\nq\rr\ns" + units({0x00A0, 0x2028, 0xE01B, 0xFE02, 0});
    putOnClipboard(pasted);
    box.setText(kMixed);
    box.setSelStart(3);
    box.paste();
    EXPECT_EQ(box.text(), kMixed.left(3) + pasted + kMixed.mid(3));
    EXPECT_EQ(box.selStart(), 3 + pasted.size());

    box.setText("<>");
    box.setSelStart(1);
    QInputMethodEvent done;
    for (const QString& commit : {QStringLiteral("é"), pasted}) {  // plain, then with stand-ins
        done.setCommitString(commit);
        QApplication::sendEvent(&box, &done);
    }
    EXPECT_EQ(box.text(), "<é" + pasted + ">");
    EXPECT_EQ(box.selStart(), 2 + pasted.size());
}

// A paragraph that is one huge word must not be word-wrapped: Qt searches such a word to its end once
// per screen line, in time growing with the square of its length. Other text wraps at word boundaries.
#include "app/lossless_text_box.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>
#include <gtest/gtest.h>

namespace {
constexpr auto kWords = QTextOption::WrapAtWordBoundaryOrAnywhere, kAnywhere = QTextOption::WrapAnywhere;

QString letters(int n, QChar everyTwentySixth = u'k') {
    QString s;
    for (int i = 0; i < n; ++i) s += QChar(u'a' + i * 7 % 26);
    return s.replace(QChar(u'k'), everyTwentySixth);
}
QTextOption::WrapMode wrapMode(const LosslessTextBox& box) { return box.document()->defaultTextOption().wrapMode(); }

TEST(LongLine, OnlyTextWithAHugeUnbreakableWordWrapsAnywhere) {
    const struct {
        QString text;
        QTextOption::WrapMode expected;
    } cases[] = {
        {"Hej!\r\nLänken: https://example.se/" + letters(300) + " ses\r\nvi?", kWords},
        {letters(20000, u'-'), kWords},  // a line may break after '-'
        {letters(7500, u'-') + letters(1200) + letters(5000, u'-'), kAnywhere},
        {letters(1025, u'\u00A0'), kAnywhere},  // one over the longest word; no-break spaces do not count
        {"Hej\r\n" + letters(3000) + "\r\n\rslut\n", kAnywhere},
    };
    LosslessTextBox box;
    box.resize(280, 170);
    box.show();
    for (const auto& c : cases) {
        box.setText(c.text);
        EXPECT_EQ(wrapMode(box), c.expected) << c.text.left(40).toStdString();
        EXPECT_TRUE(box.text() == c.text);
    }
    const QTextBlock hugeWord = box.document()->findBlockByNumber(1);
    box.document()->documentLayout()->blockBoundingRect(hugeWord);  // lays it out
    EXPECT_GT(hugeWord.layout()->lineCount(), 10);
    EXPECT_EQ(hugeWord.layout()->textOption().wrapMode(), kAnywhere);
}

TEST(LongLine, EditsThatMakeOrUnmakeAHugeWordSwitchTheWrapping) {
    LosslessTextBox box;
    box.setText(letters(700) + " " + letters(700) + "\r\nhej");
    const std::pair<std::function<void()>, QTextOption::WrapMode> steps[] = {
        {[&] { box.setSelStart(700), box.setSelLength(1), box.setSelText(""); }, kAnywhere},  // one word
        {[&] { box.setSelStart(1405), box.setSelText(" då"); }, kAnywhere},                   // in the other paragraph
        {[&] { box.undo(); }, kAnywhere},
        {[&] { box.undo(); }, kWords},
        {[&] { box.redo(); }, kAnywhere},
    };
    for (const auto& [edit, expected] : steps) {
        edit();
        EXPECT_EQ(wrapMode(box), expected) << box.text().size();
    }
}

}  // namespace

#include "text_position.h"

#include <gtest/gtest.h>

using velmora::locate;

TEST(TextPosition, CountsLinesForEveryKindOfLineEnd) {
    const std::u16string_view text = u"ab\r\ncd\ne\rfg";
    //                                  0123 4567 89 10
    EXPECT_EQ(locate(text, 0).line, 1u);
    EXPECT_EQ(locate(text, 1).column, 2u);
    EXPECT_EQ(locate(text, 4).line, 2u);   // c after CRLF
    EXPECT_EQ(locate(text, 4).column, 1u);
    EXPECT_EQ(locate(text, 7).line, 3u);   // e after lone LF
    EXPECT_EQ(locate(text, 9).line, 4u);   // f after lone CR
    EXPECT_EQ(locate(text, 10).column, 2u);
}

TEST(TextPosition, TheLfOfAPairStaysOnItsLine) {
    const auto pos = locate(u"ab\r\n", 3);
    EXPECT_EQ(pos.line, 1u);
    EXPECT_EQ(pos.column, 4u);
}

TEST(TextPosition, TwoCarriageReturnsAreTwoLineEnds) {
    EXPECT_EQ(locate(u"\r\rx", 2).line, 3u);
    EXPECT_EQ(locate(u"\n\r\nx", 3).line, 3u);
}

TEST(TextPosition, SurrogatePairCountsAsOneCharacter) {
    const std::u16string_view text = u"a\U0001F600b";
    EXPECT_EQ(locate(text, 3).column, 3u);
    EXPECT_EQ(velmora::codePointAt(text, 1), U'\U0001F600');
    EXPECT_EQ(velmora::codePointAt(u"\xD800x", 0), char32_t{0xD800});  // lone surrogate
}

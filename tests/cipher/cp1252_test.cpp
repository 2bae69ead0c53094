#include "cp1252.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

namespace cp1252 = velmora::cp1252;

TEST(Cp1252, EveryCodeIsADistinctCharacterAndComesBack) {
    std::set<char16_t> seen;
    for (unsigned code = 0; code < 256; ++code) {
        const char16_t ch = cp1252::toUnicode(static_cast<std::uint8_t>(code));
        EXPECT_TRUE(seen.insert(ch).second) << "code " << code;
        const auto back = cp1252::fromUnicode(ch);
        ASSERT_TRUE(back.has_value()) << "code " << code;
        EXPECT_EQ(*back, code);
    }
}

TEST(Cp1252, EveryCodePointLooksUpAsTheCodePageSays) {
    // The expectation comes from the code-to-character direction alone.
    std::map<char32_t, std::uint8_t> inverse;
    for (unsigned code = 0; code < 256; ++code) {
        inverse[cp1252::toUnicode(static_cast<std::uint8_t>(code))] = static_cast<std::uint8_t>(code);
    }
    for (char32_t ch = 0; ch <= 0x10FFFF; ++ch) {
        const auto found = inverse.find(ch);
        const std::optional<std::uint8_t> expected =
            found == inverse.end() ? std::nullopt : std::optional<std::uint8_t>(found->second);
        ASSERT_EQ(cp1252::fromUnicode(ch), expected) << std::hex << static_cast<std::uint32_t>(ch);
    }
    EXPECT_FALSE(cp1252::fromUnicode(0x110000).has_value());
    EXPECT_FALSE(cp1252::fromUnicode(0xFFFFFFFF).has_value());
}

TEST(Cp1252, WesternLettersAndSymbols) {
    EXPECT_EQ(cp1252::toUnicode(0x80), u'\u20AC');  // euro sign
    EXPECT_EQ(cp1252::toUnicode(0x96), u'\u2013');  // en dash
    EXPECT_EQ(cp1252::toUnicode(0x9F), u'\u0178');  // Y with diaeresis
    EXPECT_EQ(cp1252::fromUnicode(U'å'), 0xE5);
    EXPECT_EQ(cp1252::fromUnicode(U'Ö'), 0xD6);
    EXPECT_EQ(cp1252::fromUnicode(U'\u00A0'), 0xA0);
    EXPECT_EQ(cp1252::fromUnicode(U'\u2122'), 0x99);  // trade mark
}

TEST(Cp1252, UndefinedCodesMapToTheirControls) {
    for (int value : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const auto code = static_cast<std::uint8_t>(value);
        EXPECT_EQ(cp1252::toUnicode(code), static_cast<char16_t>(code));
        EXPECT_EQ(cp1252::fromUnicode(code), code);
    }
}

TEST(Cp1252, CharactersOutsideTheCodePageAreRefused) {
    // Latin-1's C1 controls that the code page uses for printable characters.
    EXPECT_FALSE(cp1252::fromUnicode(U'\u0080').has_value());
    EXPECT_FALSE(cp1252::fromUnicode(U'\u009F').has_value());
    for (char32_t ch : {U'\u0100', U'\u0141', U'\u20AD', U'\u2028', U'\uFFFD', U'\U0001F600',
                        char32_t{0xD800}, char32_t{0xDFFF}}) {
        EXPECT_FALSE(cp1252::fromUnicode(ch).has_value()) << std::hex << static_cast<unsigned>(ch);
    }
}

#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace velmora {

// The single-byte code page of the cipher: Windows-1252, fixed whatever the
// locale, so that both sides of an exchange agree. The five bytes the code
// page leaves undefined map to the C1 controls of the same value, which
// makes all 256 codes distinct characters.
namespace cp1252 {

namespace detail {

// 0x80..0x9F, the only range where the code page differs from Latin-1.
// The undefined codes keep their own value (C1 controls).
inline constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Every character of the code page lies in U+0000..U+02FF or in
// U+2000..U+213F: one table over both ranges, -1 for the characters of
// those ranges that the code page lacks.
inline constexpr std::uint32_t kLowEnd = 0x300;
inline constexpr std::uint32_t kPunctuationStart = 0x2000;
inline constexpr std::uint32_t kPunctuationSize = 0x140;

inline constexpr auto kCodes = [] {
    std::array<std::int16_t, kLowEnd + kPunctuationSize> table{};
    table.fill(-1);
    for (std::uint32_t code = 0; code < 256; ++code) {
        const std::uint32_t ch = code >= 0x80 && code < 0xA0 ? kHighControls[code - 0x80] : code;
        const std::uint32_t index = ch < kLowEnd ? ch : kLowEnd + (ch - kPunctuationStart);
        table[index] = static_cast<std::int16_t>(code);
    }
    return table;
}();

}  // namespace detail

// The character for a code (rtcBstrFromAnsi).
constexpr char16_t toUnicode(std::uint8_t code) {
    return code >= 0x80 && code < 0xA0 ? detail::kHighControls[code - 0x80u] : char16_t{code};
}

// The code of a character (rtcAnsiValueBstr), or nothing for a character
// the code page cannot carry. One table lookup: the text cipher and the
// command-line tool call it for every character outside ASCII.
inline std::optional<std::uint8_t> fromUnicode(char32_t ch) {
    const std::uint32_t c = ch;
    std::uint32_t index;
    if (c < detail::kLowEnd) {
        index = c;
    } else if (c - detail::kPunctuationStart < detail::kPunctuationSize) {
        index = detail::kLowEnd + (c - detail::kPunctuationStart);
    } else {
        return std::nullopt;
    }
    const int code = detail::kCodes[index];
    if (code < 0) return std::nullopt;
    return static_cast<std::uint8_t>(code);
}

}  // namespace cp1252
}  // namespace velmora

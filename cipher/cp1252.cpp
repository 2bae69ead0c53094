#include "cp1252.h"

#include <array>

namespace velmora::cp1252 {

namespace {

// 0x80..0x9F, the only range where the code page differs from Latin-1.
// The undefined codes keep their own value (C1 controls).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char16_t toUnicode(std::uint8_t code) {
    if (code >= 0x80 && code < 0xA0) return kHighControls[code - 0x80u];
    return code;
}

std::optional<std::uint8_t> fromUnicode(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<std::uint8_t>(ch);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == ch) return static_cast<std::uint8_t>(0x80 + i);
    }
    return std::nullopt;
}

} // namespace velmora::cp1252

#pragma once

#include "cp1252.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace velmora::test_support {

// A text of the given codes (Windows-1252).
inline std::u16string fromCodes(const std::vector<int>& codes) {
    std::u16string text;
    for (int c : codes) text += cp1252::toUnicode(static_cast<std::uint8_t>(c));
    return text;
}

inline std::vector<int> toCodes(const std::u16string& text) {
    std::vector<int> codes;
    for (char16_t c : text) codes.push_back(*cp1252::fromUnicode(c));
    return codes;
}

// A random text over all 255 non-zero codes, with line ends of every kind
// mixed in, as a mail that went through several systems might hold.
inline std::u16string randomText(std::mt19937& rng, std::size_t length) {
    std::uniform_int_distribution<int> code(1, 255);
    std::uniform_int_distribution<int> kind(0, 9);
    std::u16string text;
    while (text.size() < length) {
        switch (kind(rng)) {
        case 0: text += u"\r\n"; break;
        case 1: text += u"\n"; break;
        case 2: text += u"\r"; break;
        default: text += cp1252::toUnicode(static_cast<std::uint8_t>(code(rng)));
        }
    }
    text.resize(length);
    return text;
}

} // namespace velmora::test_support

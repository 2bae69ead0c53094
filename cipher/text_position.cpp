#include "cipher/text_position.h"

namespace velmora {

namespace {
bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

TextPosition locate(std::u16string_view text, std::size_t offset) {
    TextPosition pos;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                if (i + 1 == offset) {  // the \n of a pair stands on the \r's line
                    ++pos.column;
                    break;
                }
                ++i;
            }
            ++pos.line;
            pos.column = 1;
        } else if (c == u'\n') {
            ++pos.line;
            pos.column = 1;
        } else if (isHighSurrogate(c) && i + 1 < offset && isLowSurrogate(text[i + 1])) {
            ++i;
            ++pos.column;
        } else {
            ++pos.column;
        }
    }
    return pos;
}

char32_t codePointAt(std::u16string_view text, std::size_t offset) {
    const char16_t c = text[offset];
    if (isHighSurrogate(c) && offset + 1 < text.size() && isLowSurrogate(text[offset + 1])) {
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
               (static_cast<char32_t>(text[offset + 1]) - 0xDC00);
    }
    return c;
}

}  // namespace velmora

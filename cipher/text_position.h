#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

struct TextPosition {
    std::size_t line = 1;    // from 1; \r\n, a lone \r and a lone \n each end a line
    std::size_t column = 1;  // from 1, in characters (a surrogate pair is one)
};

// Where the UTF-16 unit at offset stands, as a user counts it.
TextPosition locate(std::u16string_view text, std::size_t offset);

// The code point that starts at offset: a whole surrogate pair, else the unit.
char32_t codePointAt(std::u16string_view text, std::size_t offset);

}  // namespace velmora

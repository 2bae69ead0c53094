#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::cli {

// Where in the text the next character stands, counted as the cipher's
// messages count: lines and columns from 1, a line ends at \r\n, a lone \r
// or a lone \n, columns count characters. The text arrives as Windows-1252
// codes, one a character, in pieces.
class LinePosition {
public:
    // Moves past the given characters.
    void advance(std::span<const std::uint8_t> codes);

    std::size_t line() const { return line_; }
    // Column of the next character.
    std::size_t column() const { return column_ + 1; }

private:
    std::size_t line_ = 1;
    std::size_t column_ = 0;  // characters on the current line so far
    bool afterCr_ = false;    // the last character was \r: a \n now belongs to it
};

}  // namespace velmora::cli

#pragma once

#include "repair/text_symbols.h"

#include <cstdint>
#include <span>

namespace velmora::repair {

// How plain mail text goes on: the cost, in 1/16 bit, of a Windows-1252 code
// after the text so far. A text reads cheaply (two to four bits a
// character); the uniform codes that deciphering at the wrong place gives
// cost three times as much. The model's state is the last four symbols,
// whether the last character was a capital letter, and the word so far: a
// word that the word lists lack costs extra where it ends.
class TextModel {
public:
    using State = std::uint64_t;

    // The state at the start of a text: as after a line end.
    static State start();

    static State next(State state, std::uint8_t code);

    // The cost of code after state.
    static std::uint32_t cost(State state, std::uint8_t code);

    // The cost of the text ending after state, its last word included.
    static std::uint32_t endCost(State state);

    // The summed cost of a whole text from the start to its end.
    static std::uint64_t cost(std::span<const std::uint8_t> codes);
};

// One unit of TextModel's costs.
inline constexpr std::uint32_t kBit = 16;

}  // namespace velmora::repair

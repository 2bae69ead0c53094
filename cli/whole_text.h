#pragma once

#include "cli/byte_stream.h"
#include "cli/failure.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace velmora::cli {

// A whole text and what a run without --repair makes of it.
struct WholeText {
    std::u16string received;                   // as read, a leading byte order mark dropped
    std::vector<std::uint8_t> ordinaryOutput;  // byte for byte what the ordinary run writes
};

// The text has more characters than the caller takes.
struct TextTooLong {};

// Reads the whole source through the ordinary stream into memory, so that
// its refusals and its output are by construction those of the ordinary
// run. Reads no further than a text of maxCharacters characters can reach.
std::variant<WholeText, Failure, TextTooLong> readWholeText(ByteSource& source,
                                                            std::span<const std::uint8_t> passwordCodes, bool raw,
                                                            std::size_t maxCharacters);

}  // namespace velmora::cli

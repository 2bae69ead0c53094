#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

// The single-byte code page of the cipher: Windows-1252, fixed whatever the
// locale, so that both sides of an exchange agree. The five bytes the code
// page leaves undefined map to the C1 controls of the same value, which
// makes all 256 codes distinct characters.
namespace cp1252 {

// The character for a code (rtcBstrFromAnsi).
char16_t toUnicode(std::uint8_t code);

// The code of a character (rtcAnsiValueBstr), or nothing for a character
// the code page cannot carry.
std::optional<std::uint8_t> fromUnicode(char32_t ch);

} // namespace cp1252
} // namespace velmora

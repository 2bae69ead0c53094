#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The byte loops of the UTF-8 <-> Windows-1252 transcoding, in one portable
// variant and in vector variants for x86-64 chosen at run time by what the
// processor offers. Every variant gives byte for byte the same result.
namespace velmora::utf8 {

enum class Variant { Scalar, Sse2, Avx2 };

// The variants this processor can run, the portable one first.
std::vector<Variant> availableVariants();

// Used from now on by decodeLatin1Run and encodeCodes; the best available
// is chosen at start. Tests use it to check each variant. Returns false, and
// changes nothing, for a variant this processor cannot run.
bool setVariant(Variant variant);
Variant currentVariant();

struct Latin1Run {
    std::size_t consumed = 0;   // bytes of input, whole characters only
    std::size_t written = 0;    // codes stored, one a character
};

// Decodes the longest prefix of bytes that holds only ASCII characters other
// than NUL and the two-byte characters U+00A0..U+00FF: the characters that
// Windows-1252 codes by their own value, and nearly all of mail text. out
// must have room for count bytes; nothing beyond that is touched.
Latin1Run decodeLatin1Run(const std::uint8_t* bytes, std::size_t count, std::uint8_t* out);

// Windows-1252 codes to UTF-8: every code becomes one character of 1 to 3
// bytes. out must have room for 3 * codes.size() bytes; returns the bytes
// written.
std::size_t encodeCodes(std::span<const std::uint8_t> codes, std::uint8_t* out);

} // namespace velmora::utf8

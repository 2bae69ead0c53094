#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The byte loops of the UTF-8 <-> Windows-1252 transcoding: kernels of
// cipher/cpu_dispatch.h, in a portable version and SSE2 and AVX2 versions
// for x86-64. Every version gives byte for byte the same result.
namespace velmora::utf8 {

struct Latin1Run {
    std::size_t consumed = 0;  // bytes of input, whole characters only
    std::size_t written = 0;   // codes stored, one a character
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

}  // namespace velmora::utf8

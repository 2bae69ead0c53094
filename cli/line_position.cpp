#include "cli/line_position.h"

#include "cipher/cpu_dispatch.h"

#ifdef VELMORA_X86_64
#include <emmintrin.h>
#endif

namespace velmora::cli {

namespace {

// Line ends among codes[from, size): every \r, and every \n that does not
// follow a \r (codes[from - 1] is read; from >= 1).
std::size_t countLineEndsPortable(const std::uint8_t* codes, std::size_t from, std::size_t size) {
    std::size_t ends = 0;
    for (std::size_t i = from; i < size; ++i) {
        ends += static_cast<std::size_t>((codes[i] == '\r') + (codes[i] == '\n' && codes[i - 1] != '\r'));
    }
    return ends;
}

#ifdef VELMORA_X86_64
// 16 codes at a time; per-byte counters, summed before they can overflow.
std::size_t countLineEndsSse2(const std::uint8_t* codes, std::size_t from, std::size_t size) {
    std::size_t ends = 0;
    std::size_t i = from;
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    while (size - i >= 16) {
        __m128i counts = _mm_setzero_si128();
        for (int round = 0; round < 255 && size - i >= 16; ++round, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + i));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + i - 1));
            const __m128i isCr = _mm_cmpeq_epi8(v, cr);
            const __m128i loneLf = _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(v, lf));
            counts = _mm_sub_epi8(counts, _mm_or_si128(isCr, loneLf));
        }
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        ends +=
            static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) + static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
    }
    return ends + countLineEndsPortable(codes, i, size);
}
#endif

constexpr cpu::Kernel<std::size_t(const std::uint8_t*, std::size_t, std::size_t)> countLineEnds{
    .portable = countLineEndsPortable,
#ifdef VELMORA_X86_64
    .sse2 = countLineEndsSse2,
#endif
};

}  // namespace

void LinePosition::advance(std::span<const std::uint8_t> codes) {
    if (codes.empty()) return;
    const auto first = static_cast<std::size_t>((codes[0] == '\r') + (codes[0] == '\n' && !afterCr_));
    const std::size_t ends = first + countLineEnds(codes.data(), 1, codes.size());
    line_ += ends;
    afterCr_ = codes.back() == '\r';
    // No line end at all (a \n first may be the end of a \r before it).
    if (ends == 0 && codes[0] != '\n') {
        column_ += codes.size();
        return;
    }
    // The column counts from the last line end, which this piece holds.
    std::size_t last = codes.size();
    while (codes[last - 1] != '\r' && codes[last - 1] != '\n') --last;
    column_ = codes.size() - last;
}

}  // namespace velmora::cli

#include "cli/utf8_simd.h"

#include "cipher/cp1252.h"
#include "cipher/cpu_dispatch.h"

#include <array>
#include <cstring>

#ifdef VELMORA_X86_64
#include <immintrin.h>
#endif

namespace velmora::utf8 {

namespace {

Latin1Run decodeLatin1Scalar(const std::uint8_t* bytes, std::size_t count, std::uint8_t* out) {
    std::size_t i = 0, o = 0;
    while (i < count) {
        const std::uint8_t b = bytes[i];
        if (b != 0 && b < 0x80) {
            out[o++] = b;
            ++i;
            continue;
        }
        if ((b == 0xC2 || b == 0xC3) && i + 1 < count) {
            // C2 80..9F are C1 controls, most of which the code page lacks.
            const std::uint8_t c = bytes[i + 1];
            const bool fits = b == 0xC3 ? (c & 0xC0) == 0x80 : (c >= 0xA0 && c <= 0xBF);
            if (fits) {
                out[o++] = static_cast<std::uint8_t>(b == 0xC3 ? c + 0x40 : c);
                i += 2;
                continue;
            }
        }
        break;
    }
    return {i, o};
}

// Each code's UTF-8 bytes, padded to four so that a copy needs no branch.
struct EncodedCode {
    std::array<std::uint8_t, 4> bytes;
    std::uint8_t length;
};

constexpr std::array<EncodedCode, 256> kEncoded = [] {
    std::array<EncodedCode, 256> table{};
    for (unsigned code = 0; code < 256; ++code) {
        const std::uint32_t c = cp1252::toUnicode(static_cast<std::uint8_t>(code));
        auto& e = table[code];
        if (c < 0x80) {
            e = {{static_cast<std::uint8_t>(c), 0, 0, 0}, 1};
        } else if (c < 0x800) {
            e = {{static_cast<std::uint8_t>(0xC0 | (c >> 6)), static_cast<std::uint8_t>(0x80 | (c & 0x3F)), 0, 0}, 2};
        } else {
            e = {{static_cast<std::uint8_t>(0xE0 | (c >> 12)), static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)),
                  static_cast<std::uint8_t>(0x80 | (c & 0x3F)), 0},
                 3};
        }
    }
    return table;
}();

// Each code's four padded bytes stored, the output moved on by its length:
// needs a code more after these, whose room takes the padding.
inline std::size_t encodePadded(const std::uint8_t* codes, std::size_t count, std::uint8_t* out) {
    std::size_t o = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const EncodedCode& e = kEncoded[codes[i]];
        std::memcpy(out + o, e.bytes.data(), 4);
        o += e.length;
    }
    return o;
}

std::size_t encodeScalar(std::span<const std::uint8_t> codes, std::uint8_t* out) {
    const std::uint8_t* p = codes.data();
    const std::uint8_t* const end = p + codes.size();
    std::uint8_t* o = out;
    // Eight codes at a time: all ASCII is one copy; otherwise each code's
    // four padded bytes are stored and the output moves on by its length.
    // A group is only taken while a ninth code follows, which keeps the padding
    // inside the 3 * codes.size() bytes.
    while (end - p >= 9) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if ((word & 0x8080808080808080ull) == 0) {
            std::memcpy(o, p, 8);
            o += 8;
        } else {
            o += encodePadded(p, 8, o);
        }
        p += 8;
    }
    for (; p < end; ++p) {
        const EncodedCode& e = kEncoded[*p];
        std::memcpy(o, e.bytes.data(), e.length);
        o += e.length;
    }
    return static_cast<std::size_t>(o - out);
}

#ifdef VELMORA_X86_64

// One block of the decoder, as bit masks over its bytes (bit i: byte i).
struct Block {
    std::uint32_t keep;  // bytes that become codes: ASCII, and continuation bytes after their lead
    unsigned take;       // bytes of whole characters from the block's start
};

// ascii: 01..7F; c2, c3: those leads; cont: 80..BF; contHigh: A0..BF.
inline Block classify(std::uint32_t ascii, std::uint32_t c2, std::uint32_t c3, std::uint32_t cont,
                      std::uint32_t contHigh, unsigned width) {
    const std::uint32_t all = width == 32 ? ~0u : (1u << width) - 1;
    // A lead needs its continuation byte next, from A0 on after C2; a lead
    // in the block's last byte is left for the next block.
    const std::uint32_t lead = (c3 & (cont >> 1)) | (c2 & (contHigh >> 1));
    const std::uint32_t tail = cont & (lead << 1);
    const std::uint32_t bad = ~(ascii | lead | tail) & all;
    const unsigned take = bad != 0 ? static_cast<unsigned>(__builtin_ctz(bad)) : width;
    const std::uint32_t taken = take == 32 ? ~0u : (1u << take) - 1;
    return {(ascii | tail) & taken, take};
}

Latin1Run decodeLatin1Sse2(const std::uint8_t* bytes, std::size_t count, std::uint8_t* out) {
    std::size_t i = 0, o = 0;
    const __m128i zero = _mm_setzero_si128();
    const auto mask = [](__m128i v) { return static_cast<std::uint32_t>(_mm_movemask_epi8(v)); };
    while (count - i >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const std::uint32_t ascii = mask(_mm_cmpgt_epi8(v, zero));
        if (ascii == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), v);
            i += 16;
            o += 16;
            continue;
        }
        const __m128i isC3 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xC3)));
        const __m128i cont = _mm_cmplt_epi8(v, _mm_set1_epi8(-64));
        const Block block = classify(ascii, mask(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xC2)))), mask(isC3),
                                     mask(cont), mask(_mm_and_si128(cont, _mm_cmpgt_epi8(v, _mm_set1_epi8(-97)))), 16);
        if (block.take == 0) return {i, o};
        // After C3 the code is the continuation byte plus 0x40.
        const __m128i codes = _mm_add_epi8(v, _mm_and_si128(_mm_slli_si128(isC3, 1), _mm_set1_epi8(0x40)));
        alignas(16) std::uint8_t lane[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(lane), codes);
        for (std::uint32_t k = block.keep; k != 0; k &= k - 1) out[o++] = lane[__builtin_ctz(k)];
        i += block.take;
    }
    const Latin1Run rest = decodeLatin1Scalar(bytes + i, count - i, out + o);
    return {i + rest.consumed, o + rest.written};
}

std::size_t encodeSse2(std::span<const std::uint8_t> codes, std::uint8_t* out) {
    const std::uint8_t* p = codes.data();
    const std::size_t n = codes.size();
    std::size_t i = 0, o = 0;
    while (n - i > 16) {  // a seventeenth code takes the padding
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(c) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), c);
            o += 16;
        } else {
            o += encodePadded(p + i, 16, out + o);
        }
        i += 16;
    }
    return o + encodeScalar({p + i, n - i}, out + o);
}

// For each 8-bit mask, the positions of its set bits in order: pshufb
// indices that gather the kept bytes of an 8-byte group to its front.
constexpr std::array<std::uint64_t, 256> kGather = [] {
    std::array<std::uint64_t, 256> table{};
    for (unsigned m = 0; m < 256; ++m) {
        unsigned n = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((m >> bit) & 1u) table[m] |= static_cast<std::uint64_t>(bit) << (8 * n++);
        }
    }
    return table;
}();

// Stores the bytes of v whose bits are set in keep (16 bits), in order;
// returns how many. Writes up to 16 bytes at out whatever the count.
VELMORA_TARGET_AVX2 inline std::size_t storeKept(__m128i v, std::uint32_t keep, std::uint8_t* out) {
    const unsigned low = keep & 0xFF, high = (keep >> 8) & 0xFF;
    const __m128i gather = _mm_set_epi64x(static_cast<long long>(kGather[high] + 0x0808080808080808ull),
                                          static_cast<long long>(kGather[low]));
    const __m128i packed = _mm_shuffle_epi8(v, gather);
    const auto lowCount = static_cast<std::size_t>(__builtin_popcount(low));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + lowCount), _mm_unpackhi_epi64(packed, packed));
    return lowCount + static_cast<std::size_t>(__builtin_popcount(high));
}

VELMORA_TARGET_AVX2 inline std::uint32_t mask(__m256i v) { return static_cast<std::uint32_t>(_mm256_movemask_epi8(v)); }

VELMORA_TARGET_AVX2 Latin1Run decodeLatin1Avx2(const std::uint8_t* bytes, std::size_t count, std::uint8_t* out) {
    std::size_t i = 0, o = 0;
    const __m256i zero = _mm256_setzero_si256();
    while (count - i >= 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
        const std::uint32_t ascii = mask(_mm256_cmpgt_epi8(v, zero));
        if (ascii == ~0u) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + o), v);
            i += 32;
            o += 32;
            continue;
        }
        const __m256i isC3 = _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xC3)));
        const __m256i cont = _mm256_cmpgt_epi8(_mm256_set1_epi8(-64), v);
        const Block block =
            classify(ascii, mask(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xC2)))), mask(isC3),
                     mask(cont), mask(_mm256_and_si256(cont, _mm256_cmpgt_epi8(v, _mm256_set1_epi8(-97)))), 32);
        if (block.take == 0) return {i, o};
        // isC3 moved up one byte, across the two 128-bit lanes.
        const __m256i afterC3 = _mm256_alignr_epi8(isC3, _mm256_permute2x128_si256(isC3, isC3, 0x08), 15);
        const __m256i codes = _mm256_add_epi8(v, _mm256_and_si256(afterC3, _mm256_set1_epi8(0x40)));
        o += storeKept(_mm256_castsi256_si128(codes), block.keep & 0xFFFF, out + o);
        o += storeKept(_mm256_extracti128_si256(codes, 1), block.keep >> 16, out + o);
        i += block.take;
    }
    const Latin1Run rest = decodeLatin1Scalar(bytes + i, count - i, out + o);
    return {i + rest.consumed, o + rest.written};
}

// The UTF-8 bytes of the code page's characters at 80..9F: row 0 for
// 80..8F, row 1 for 90..9F, by the code's low four bits; the third byte is 0
// for a two-byte form.
using ControlRows = std::array<std::array<std::uint8_t, 16>, 2>;
struct ControlBytes {
    ControlRows first, second, third;
};
constexpr ControlBytes kControlBytes = [] {
    ControlBytes t{};
    for (unsigned code = 0x80; code < 0xA0; ++code) {
        const auto& e = kEncoded[code];
        const unsigned row = (code >> 4) & 1, column = code & 0x0F;
        t.first[row][column] = e.bytes[0];
        t.second[row][column] = e.bytes[1];
        t.third[row][column] = e.bytes[2];
    }
    return t;
}();

// Four codes' slots of four bytes, gathered: one entry for each combination
// of their lengths (1 to 3), numbered in base 3 with the first code lowest.
struct SlotGather {
    alignas(16) std::array<std::uint8_t, 16> indices;
    std::uint32_t length;
};
constexpr std::array<SlotGather, 81> kSlotGather = [] {
    std::array<SlotGather, 81> table{};
    for (unsigned pattern = 0; pattern < 81; ++pattern) {
        SlotGather& g = table[pattern];
        g.indices.fill(0x80);  // pshufb stores 0 for these
        for (unsigned code = 0, digits = pattern; code < 4; ++code, digits /= 3) {
            for (unsigned byte = 0; byte <= digits % 3; ++byte)
                g.indices[g.length++] = static_cast<std::uint8_t>(4 * code + byte);
        }
    }
    return table;
}();

VELMORA_TARGET_AVX2 inline __m256i lookUp(const ControlRows& rows, __m256i column, __m256i secondRow) {
    const __m256i low = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[0].data())));
    const __m256i high = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[1].data())));
    return _mm256_blendv_epi8(_mm256_shuffle_epi8(low, column), _mm256_shuffle_epi8(high, column), secondRow);
}

// 32 codes at a time: each code's UTF-8 bytes in a four-byte slot, then the
// slots' used bytes gathered to the output.
VELMORA_TARGET_AVX2 std::size_t encodeAvx2(std::span<const std::uint8_t> codes, std::uint8_t* out) {
    const std::uint8_t* p = codes.data();
    const std::size_t n = codes.size();
    std::size_t i = 0, o = 0;
    const __m256i zero = _mm256_setzero_si256();
    // The last gather of a round writes 16 bytes from as far as 84 bytes past
    // where the round began: a few codes more must follow for that room.
    while (n - i >= 36) {
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i isHigh = _mm256_cmpgt_epi8(zero, c);
        if (_mm256_movemask_epi8(isHigh) == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + o), c);
            o += 32;
            i += 32;
            continue;
        }
        const __m256i isControl = _mm256_cmpgt_epi8(_mm256_set1_epi8(-96), c);  // 80..9F
        const __m256i fromC0 = _mm256_and_si256(isHigh, _mm256_cmpgt_epi8(c, _mm256_set1_epi8(-65)));
        const __m256i column = _mm256_and_si256(c, _mm256_set1_epi8(0x0F));
        const __m256i secondRow =
            _mm256_cmpeq_epi8(_mm256_and_si256(c, _mm256_set1_epi8(0x10)), _mm256_set1_epi8(0x10));
        // ASCII: the code; A0..BF: C2 and the code; C0..FF: C3 and the code less 0x40.
        const __m256i latinFirst =
            _mm256_blendv_epi8(c, _mm256_sub_epi8(_mm256_set1_epi8(static_cast<char>(0xC2)), fromC0), isHigh);
        const __m256i first = _mm256_blendv_epi8(latinFirst, lookUp(kControlBytes.first, column, secondRow), isControl);
        const __m256i second = _mm256_blendv_epi8(_mm256_and_si256(c, _mm256_set1_epi8(static_cast<char>(0xBF))),
                                                  lookUp(kControlBytes.second, column, secondRow), isControl);
        const __m256i third = _mm256_and_si256(lookUp(kControlBytes.third, column, secondRow), isControl);
        const __m256i hasThird = _mm256_xor_si256(_mm256_cmpeq_epi8(third, zero), _mm256_set1_epi8(-1));
        // Length less one, 0..2, for each code.
        const __m256i extra = _mm256_sub_epi8(_mm256_sub_epi8(zero, isHigh), hasThird);

        // Slots; each 128-bit lane holds codes of its own half.
        const __m256i pairsLow = _mm256_unpacklo_epi8(first, second), pairsHigh = _mm256_unpackhi_epi8(first, second);
        const __m256i thirdLow = _mm256_unpacklo_epi8(third, zero), thirdHigh = _mm256_unpackhi_epi8(third, zero);
        const __m256i slots[4] = {_mm256_unpacklo_epi16(pairsLow, thirdLow), _mm256_unpackhi_epi16(pairsLow, thirdLow),
                                  _mm256_unpacklo_epi16(pairsHigh, thirdHigh),
                                  _mm256_unpackhi_epi16(pairsHigh, thirdHigh)};
        // Each four codes' lengths as one number in base 3: which gather.
        alignas(32) std::uint32_t pattern[8];
        const __m256i digits = _mm256_maddubs_epi16(extra, _mm256_set1_epi32(0x1B090301));
        _mm256_store_si256(reinterpret_cast<__m256i*>(pattern), _mm256_madd_epi16(digits, _mm256_set1_epi16(1)));
        for (std::size_t k = 0; k < 8; ++k) {
            const SlotGather& gather = kSlotGather[pattern[k]];
            const __m256i& slot = slots[k % 4];
            const __m128i four = k < 4 ? _mm256_castsi256_si128(slot) : _mm256_extracti128_si256(slot, 1);
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(out + o),
                _mm_shuffle_epi8(four, _mm_load_si128(reinterpret_cast<const __m128i*>(gather.indices.data()))));
            o += gather.length;
        }
        i += 32;
    }
    return o + encodeScalar({p + i, n - i}, out + o);
}

#endif

constexpr cpu::Kernel<Latin1Run(const std::uint8_t*, std::size_t, std::uint8_t*)> kDecodeLatin1Run{
    .portable = decodeLatin1Scalar,
#ifdef VELMORA_X86_64
    .sse2 = decodeLatin1Sse2,
    .avx2 = decodeLatin1Avx2,
#endif
};

constexpr cpu::Kernel<std::size_t(std::span<const std::uint8_t>, std::uint8_t*)> kEncodeCodes{
    .portable = encodeScalar,
#ifdef VELMORA_X86_64
    .sse2 = encodeSse2,
    .avx2 = encodeAvx2,
#endif
};

}  // namespace

Latin1Run decodeLatin1Run(const std::uint8_t* bytes, std::size_t count, std::uint8_t* out) {
    return kDecodeLatin1Run(bytes, count, out);
}

std::size_t encodeCodes(std::span<const std::uint8_t> codes, std::uint8_t* out) { return kEncodeCodes(codes, out); }

}  // namespace velmora::utf8

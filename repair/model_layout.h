#pragma once

#include <cstdint>

namespace velmora::repair {

// How the text model's table is laid out, shared by the program that builds
// it from the word lists and the code that reads it. Each slot is two bytes:
// a fingerprint of its key (0 marks an empty slot) and a cost in 1/16 bit.
// A key is a context of one to four symbols and the symbol that follows, or
// the context alone (kBackoffSymbol) for the cost of backing off from it.
namespace model_layout {

inline constexpr int kMaxContext = 4;
inline constexpr std::uint8_t kBackoffSymbol = 63;
inline constexpr std::uint32_t kSymbolBits = 6;

// A context of `length` symbols, newest in the low bits.
constexpr std::uint32_t contextOf(std::uint32_t history, int length) {
    return length == 0 ? 0 : history & ((1u << (kSymbolBits * static_cast<std::uint32_t>(length))) - 1);
}

constexpr std::uint64_t hashKey(int length, std::uint32_t context, std::uint8_t symbol) {
    std::uint64_t x = (static_cast<std::uint64_t>(length) << 40) | (static_cast<std::uint64_t>(context) << 8) | symbol;
    x ^= x >> 31;
    x *= 0x7FB5D329728EA185ull;
    x ^= x >> 27;
    x *= 0x81DADEF4BC2DD44Dull;
    x ^= x >> 33;
    return x;
}

constexpr std::uint8_t fingerprintOf(std::uint64_t hash) { return static_cast<std::uint8_t>((hash >> 56) % 255 + 1); }

// The words of the lists, without case, in a Bloom filter: a word is its
// letters' symbols hashed in turn; it sets kWordProbes bits of 2^kWordBits.
inline constexpr std::uint32_t kWordStart = 2166136261u;
inline constexpr int kWordBits = 21;
inline constexpr int kWordProbes = 4;

constexpr std::uint32_t wordStep(std::uint32_t hash, std::uint8_t symbol) { return (hash ^ (symbol + 1u)) * 16777619u; }

// The bit of probe k for a word's hash.
constexpr std::uint32_t wordBit(std::uint32_t hash, int k) {
    std::uint64_t x = hash * 0x9E3779B97F4A7C15ull;
    const auto a = static_cast<std::uint32_t>(x >> 32);
    const auto b = static_cast<std::uint32_t>(x) | 1u;
    return (a + static_cast<std::uint32_t>(k) * b) & ((1u << kWordBits) - 1);
}

}  // namespace model_layout
}  // namespace velmora::repair

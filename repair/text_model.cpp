#include "repair/text_model.h"

#include "repair/model_data.h"
#include "repair/model_layout.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace velmora::repair {

namespace {

namespace layout = model_layout;

constexpr std::uint32_t kHistoryBits = layout::kSymbolBits * layout::kMaxContext;
constexpr std::uint32_t kHistoryMask = (1u << kHistoryBits) - 1;
constexpr std::uint32_t kUpperFlag = 1u << kHistoryBits;
constexpr int kWordShift = 32;

// What a word that is not in the lists costs: names, rare words, typos pay
// it; a letter read wrong mostly makes such a word.
constexpr std::uint32_t kUnknownWord = 8 * kBit;

bool isLetter(std::uint8_t s) { return s >= symbol::kLetterA && s <= symbol::kOtherLetter; }

bool knownWord(std::uint32_t hash) {
    const auto* bits = reinterpret_cast<const std::uint8_t*>(model_data::kWords);
    for (int k = 0; k < layout::kWordProbes; ++k) {
        const std::uint32_t bit = layout::wordBit(hash, k);
        if (!(bits[bit >> 3] & (1u << (bit & 7)))) return false;
    }
    return true;
}

// The stored cost of a key, or -1 where the table has none.
int lookup(int length, std::uint32_t context, std::uint8_t symbol) {
    const std::uint64_t h = layout::hashKey(length, context, symbol);
    const std::uint8_t fingerprint = layout::fingerprintOf(h);
    const std::size_t mask = (std::size_t{1} << model_data::kSlotBits) - 1;
    const auto* slots = reinterpret_cast<const std::uint8_t*>(model_data::kSlots);
    for (std::size_t at = h & mask;; at = (at + 1) & mask) {
        const std::uint8_t f = slots[2 * at];
        if (f == 0) return -1;
        if (f == fingerprint) return slots[2 * at + 1];
    }
}

// No symbol costs more than this: the word lists cannot teach every
// sequence that mail holds ("+46", "OX1 4AB", a name), and a rare sequence
// must stay cheaper than noise.
constexpr std::uint32_t kSymbolCap = 12 * kBit;

std::uint32_t lookedUpCost(std::uint32_t history, std::uint8_t symbol) {
    std::uint32_t backoff = 0;
    for (int length = layout::kMaxContext; length >= 1; --length) {
        const std::uint32_t context = layout::contextOf(history, length);
        const int cost = lookup(length, context, symbol);
        if (cost >= 0) return std::min(kSymbolCap, backoff + static_cast<std::uint32_t>(cost));
        const int away = lookup(length, context, layout::kBackoffSymbol);
        if (away >= 0) backoff += static_cast<std::uint32_t>(away);
        if (backoff >= kSymbolCap) return kSymbolCap;
    }
    return std::min(kSymbolCap, backoff + model_data::kUnigramCost[symbol]);
}

// The search asks for the same few contexts again and again, each lookup a
// walk through a table of megabytes: the last answers are kept at hand.
struct CostCache {
    static constexpr std::size_t kSize = std::size_t{1} << 15;
    std::array<std::uint32_t, kSize> keys{};  // context and symbol, plus one; 0 is empty
    std::array<std::uint16_t, kSize> costs{};
};

std::uint32_t symbolCost(std::uint32_t history, std::uint8_t symbol) {
    thread_local CostCache cache;
    const std::uint32_t key = ((history << layout::kSymbolBits) | symbol) + 1;
    const std::size_t at = (key * 0x9E3779B1u) >> (32 - 15);
    if (cache.keys[at] == key) return cache.costs[at];
    const std::uint32_t cost = lookedUpCost(history, symbol);
    cache.keys[at] = key;
    cache.costs[at] = static_cast<std::uint16_t>(cost);
    return cost;
}

// Case, priced apart from the letters: capitals start sentences and lines,
// and follow capitals (names in capitals, abbreviations).
std::uint32_t caseCost(std::uint64_t state, bool upper) {
    const auto last = static_cast<std::uint32_t>(state & 63u);
    const auto before = static_cast<std::uint32_t>((state >> layout::kSymbolBits) & 63u);
    const bool sentenceStart = last == symbol::kLf || last == symbol::kCr ||
                               (last == symbol::kBlank && (before == symbol::kPeriod || before == symbol::kBang ||
                                                           before == symbol::kQuestion || before == symbol::kColon));
    if (sentenceStart) return upper ? 12 : 16;      // 0.6 : 0.4 (about 0.7 and 1.3 bits)
    if (state & kUpperFlag) return upper ? 32 : 7;  // 0.25 : 0.75
    const bool wordStart = last == symbol::kBlank || last == symbol::kOpen || last == symbol::kQuote;
    if (wordStart) return upper ? 56 : 1;  // 0.09 : 0.91
    return upper ? 144 : 0;                // 0.002 : 0.998
}

// A mail ends on a line end, a mark or a word, seldom on a lone CR.
std::uint32_t endAfter(std::uint32_t lastSymbol) {
    switch (lastSymbol) {
    case symbol::kLf:
    case symbol::kPeriod:
    case symbol::kBang:
    case symbol::kQuestion: return 0;
    case symbol::kCr: return 10 * kBit;
    case symbol::kBlank:
    case symbol::kTab: return 5 * kBit;
    default: return 2 * kBit;
    }
}

}  // namespace

TextModel::State TextModel::start() {
    return (symbol::kCr << 18) | (symbol::kLf << 12) | (symbol::kCr << 6) | symbol::kLf;
}

TextModel::State TextModel::next(State state, std::uint8_t code) {
    const SymbolOf& s = kSymbols[code];
    const auto word = static_cast<std::uint32_t>(state >> kWordShift);
    const std::uint64_t nextWord =
        isLetter(s.symbol) ? layout::wordStep(word ? word : layout::kWordStart, s.symbol) : 0;
    const std::uint32_t history = ((static_cast<std::uint32_t>(state) << layout::kSymbolBits) & kHistoryMask) |
                                  s.symbol | (s.upper ? kUpperFlag : 0);
    return (nextWord << kWordShift) | history;
}

std::uint32_t TextModel::cost(State state, std::uint8_t code) {
    const SymbolOf& s = kSymbols[code];
    std::uint32_t c = symbolCost(static_cast<std::uint32_t>(state) & kHistoryMask, s.symbol) + s.share;
    if (isLetter(s.symbol)) {
        c += caseCost(state, s.upper);
    } else if (const auto word = static_cast<std::uint32_t>(state >> kWordShift); word && !knownWord(word)) {
        c += kUnknownWord;
    }
    return c;
}

std::uint32_t TextModel::endCost(State state) {
    // The end of the text ends a word too.
    const auto word = static_cast<std::uint32_t>(state >> kWordShift);
    const std::uint32_t unknown = word && !knownWord(word) ? kUnknownWord : 0;
    return unknown + endAfter(static_cast<std::uint32_t>(state) & 63u);
}

std::uint64_t TextModel::cost(std::span<const std::uint8_t> codes) {
    State state = start();
    std::uint64_t total = 0;
    for (const std::uint8_t code : codes) {
        total += cost(state, code);
        state = next(state, code);
    }
    return total + endCost(state);
}

}  // namespace velmora::repair

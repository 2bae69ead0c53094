#pragma once

#include <array>
#include <cstdint>

namespace velmora::repair {

// The text model sees a Windows-1252 code as one of a few dozen symbols: a
// letter without its case, a digit, a blank, a line-end half, a mark of
// punctuation, or "something no one types". What a symbol leaves out (case,
// which digit, which dash) is priced apart, so the model stays small.
namespace symbol {

enum : std::uint8_t {
    kStrange = 0,  // controls, DEL, the undefined codes, rare signs
    kBlank,
    kCr,
    kLf,
    kTab,
    kLetterA,  // a-z follow in order
    kAring = kLetterA + 26,
    kAuml,
    kOuml,
    kEAcute,       // é è ê ë
    kOtherLetter,  // the other accented letters
    kDigit0,       // 0-9 follow in order: which digit comes next is learnt too
    kPeriod = kDigit0 + 10,
    kComma,
    kBang,
    kQuestion,
    kColon,
    kSemicolon,
    kDash,        // - – —
    kApostrophe,  // ' ‘ ’
    kQuote,       // " “ ” „ « »
    kOpen,        // ( [ {
    kClose,       // ) ] }
    kSlash,
    kAt,
    kGreater,  // the quoting mark
    kSign,     // & % + * = _ # < $ € £ § ~ ^ | \ ` and the like
    kCount,
};

static_assert(kCount <= 63, "symbols are packed six bits each");

}  // namespace symbol

struct SymbolOf {
    std::uint8_t symbol;  // symbol:: value
    bool upper;           // a capital letter
    std::uint8_t share;   // cost in 1/16 bit of this code among its symbol's codes
};

namespace detail {

constexpr std::uint8_t shareCost(int numerator, int denominator) {
    // -log2(numerator / denominator) in 1/16 bit, for the few fixed shares used.
    double p = static_cast<double>(numerator) / denominator;
    double bits = 0;
    while (p < 0.5) {
        p *= 2;
        bits += 1;
    }
    // log2 on [0.5, 1): a short series is exact enough at this resolution.
    const double x = (1 - p) / (1 + p);
    const double ln = 2 * (x + x * x * x / 3 + x * x * x * x * x / 5 + x * x * x * x * x * x * x / 7);
    return static_cast<std::uint8_t>((bits + ln / 0.6931471805599453) * 16 + 0.5);
}

constexpr std::array<SymbolOf, 256> buildTable() {
    std::array<SymbolOf, 256> t{};
    for (auto& s : t) s = {symbol::kStrange, false, shareCost(1, 48)};
    auto set = [&t](int code, std::uint8_t sym, int num = 1, int den = 1, bool upper = false) {
        t[static_cast<std::size_t>(code)] = {sym, upper, shareCost(num, den)};
    };
    for (int c = 'a'; c <= 'z'; ++c) {
        set(c, static_cast<std::uint8_t>(symbol::kLetterA + (c - 'a')));
        set(c - 32, static_cast<std::uint8_t>(symbol::kLetterA + (c - 'a')), 1, 1, true);
    }
    set(0xE5, symbol::kAring), set(0xC5, symbol::kAring, 1, 1, true);
    set(0xE4, symbol::kAuml), set(0xC4, symbol::kAuml, 1, 1, true);
    set(0xF6, symbol::kOuml), set(0xD6, symbol::kOuml, 1, 1, true);
    set(0xE9, symbol::kEAcute, 7, 10), set(0xC9, symbol::kEAcute, 7, 10, true);
    for (int c : {0xE8, 0xEA, 0xEB}) set(c, symbol::kEAcute, 1, 10), set(c - 32, symbol::kEAcute, 1, 10, true);
    for (int c = 0xE0; c <= 0xFE; ++c) {
        if (c == 0xF7 || t[static_cast<std::size_t>(c)].symbol != symbol::kStrange) continue;
        set(c, symbol::kOtherLetter, 1, 20), set(c - 32, symbol::kOtherLetter, 1, 20, true);
    }
    set(0xDF, symbol::kOtherLetter, 1, 20);
    set(0xFF, symbol::kOtherLetter, 1, 40);
    for (int c : {0x8A, 0x8C, 0x8E, 0x9F}) set(c, symbol::kOtherLetter, 1, 40, true);
    for (int c : {0x9A, 0x9C, 0x9E, 0x83}) set(c, symbol::kOtherLetter, 1, 40);
    set(' ', symbol::kBlank), set(0xA0, symbol::kBlank, 1, 64);
    set('\r', symbol::kCr), set('\n', symbol::kLf), set('\t', symbol::kTab);
    for (int c = '0'; c <= '9'; ++c) set(c, static_cast<std::uint8_t>(symbol::kDigit0 + (c - '0')));
    set('.', symbol::kPeriod), set(0x85, symbol::kPeriod, 1, 40);
    set(',', symbol::kComma), set('!', symbol::kBang), set('?', symbol::kQuestion);
    set(':', symbol::kColon), set(';', symbol::kSemicolon);
    set('-', symbol::kDash, 8, 10), set(0x96, symbol::kDash, 3, 20), set(0x97, symbol::kDash, 1, 20);
    set('\'', symbol::kApostrophe, 1, 2), set(0x92, symbol::kApostrophe, 7, 16), set(0x91, symbol::kApostrophe, 1, 16);
    set('"', symbol::kQuote, 5, 8), set(0x93, symbol::kQuote, 1, 8), set(0x94, symbol::kQuote, 1, 8);
    set(0x84, symbol::kQuote, 1, 16), set(0xAB, symbol::kQuote, 1, 32), set(0xBB, symbol::kQuote, 1, 32);
    set('(', symbol::kOpen, 8, 10), set('[', symbol::kOpen, 1, 10), set('{', symbol::kOpen, 1, 20);
    set(')', symbol::kClose, 8, 10), set(']', symbol::kClose, 1, 10), set('}', symbol::kClose, 1, 20);
    set('/', symbol::kSlash), set('@', symbol::kAt), set('>', symbol::kGreater);
    const int signs[] = {'&', '%',  '+', '*',  '=',  '_',  '#',  '<',  '$',  0x80, 0xA3, 0xA7, '~', '^',
                         '|', '\\', '`', 0xB0, 0xA9, 0xB4, 0xA8, 0xB7, 0x95, 0x99, 0xBD, 0xB1, 0xD7};
    for (int c : signs) set(c, symbol::kSign, 1, 27);
    return t;
}

}  // namespace detail

inline constexpr std::array<SymbolOf, 256> kSymbols = detail::buildTable();

}  // namespace velmora::repair

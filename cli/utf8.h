#pragma once

#include "cli/utf8_simd.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace velmora::utf8 {

// Why a byte sequence is not UTF-8.
enum class Fault {
    Truncated,          // a lead byte not followed by enough continuation bytes
    StrayContinuation,  // a continuation byte where a character should start
    Overlong,           // a character encoded with more bytes than it needs
    Surrogate,          // U+D800..U+DFFF, which UTF-8 never carries
    TooLarge,           // beyond U+10FFFF
    InvalidByte,        // 0xF8..0xFF, which never occur
};

struct Error {
    Fault fault = Fault::Truncated;
    std::uint64_t offset = 0;  // byte offset of the sequence's first byte, from 0

    friend bool operator==(const Error&, const Error&) = default;
};

// A Swedish phrase for a fault ("överlång kodning").
std::string_view faultText(Fault fault);

// Appends the UTF-8 form of a scalar value (no checks: the caller passes
// a valid code point).
void append(std::u32string_view codePoints, std::string& out);

// Streaming decoder. Bytes arrive in pieces of any size; a sequence cut by
// a piece boundary is completed by the next piece, and every decision is the
// same however the input is cut. The sink receives long runs of ASCII bytes
// in one call and every other character (short ASCII stretches too) singly:
//   bool ascii(const std::uint8_t* bytes, std::size_t count);
//   bool codePoint(char32_t ch);
// Either returns false to stop the decoding. A sink may also take whole runs
// of characters at a character boundary before anything else sees them:
//   std::size_t run(const std::uint8_t* bytes, std::size_t count);
// returns how many bytes it decoded itself (whole valid characters other than
// U+FEFF; 0 leaves the next character to the decoder).
class Decoder {
public:
    enum class Status { Ok, Invalid, Stopped };

    // skipByteOrderMark: drop a U+FEFF that is the very first character.
    explicit Decoder(bool skipByteOrderMark = true) : skipByteOrderMark_(skipByteOrderMark) {}

    template <class Sink>
    Status feed(std::span<const std::uint8_t> piece, Sink& sink);

    // The input has ended: a sequence still waiting for bytes is truncated.
    Status finish();

    // After Status::Invalid: what and where. After Invalid or Stopped the
    // decoder takes no more input.
    const Error& error() const { return error_; }

private:
    struct LeadInfo {
        std::uint8_t length;     // 1..4, or 0 when the lead byte itself is bad
        std::uint8_t secondLow;  // allowed range of the second byte
        std::uint8_t secondHigh;
        Fault belowRange;  // fault for a continuation byte under the range
        Fault aboveRange;  // ... and above it
        Fault leadFault;   // when length == 0
    };
    static LeadInfo leadInfo(std::uint8_t lead);

    // Checks the first count bytes of a sequence (count <= its length).
    // Returns true when they can still begin a valid character.
    static bool checkPrefix(const std::uint8_t* seq, std::size_t count, const LeadInfo& info, Fault& fault);
    static char32_t combine(const std::uint8_t* seq, std::size_t length);

    Status fail(Fault fault, std::uint64_t offset) {
        error_ = Error{fault, offset};
        return Status::Invalid;
    }

    template <class Sink>
    bool emit(char32_t ch, Sink& sink) {
        if (atStart_) [[unlikely]] {
            atStart_ = false;
            if (ch == 0xFEFF && skipByteOrderMark_) return true;
        }
        return sink.codePoint(ch);
    }

    bool skipByteOrderMark_;
    bool atStart_ = true;
    std::array<std::uint8_t, 4> pending_{};
    std::size_t pendingSize_ = 0;  // bytes of an unfinished sequence
    std::uint64_t offset_ = 0;     // stream offset of the current piece's first byte
    Error error_{};
};

inline bool isContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// Sequence length by lead byte where the second byte may be any continuation
// byte; 0 for leads that need a closer look (E0, ED, four-byte, invalid).
inline constexpr std::array<std::uint8_t, 256> kPlainLength = [] {
    std::array<std::uint8_t, 256> t{};
    for (unsigned b = 0; b < 0x80; ++b) t[b] = 1;
    for (unsigned b = 0xC2; b <= 0xDF; ++b) t[b] = 2;
    for (unsigned b = 0xE1; b <= 0xEF; ++b) t[b] = b == 0xED ? 0 : 3;
    return t;
}();
inline constexpr std::array<std::uint8_t, 4> kLeadBits = {0, 0x7F, 0x1F, 0x0F};
inline constexpr std::array<std::uint8_t, 4> kTailShift = {0, 12, 6, 0};

template <class Sink>
Decoder::Status Decoder::feed(std::span<const std::uint8_t> piece, Sink& sink) {
    const std::uint8_t* p = piece.data();
    const std::uint8_t* const end = p + piece.size();

    // First complete a sequence the previous piece left open.
    if (pendingSize_ > 0) {
        const LeadInfo info = leadInfo(pending_[0]);
        const std::uint64_t start = offset_ - pendingSize_;
        while (pendingSize_ < info.length && p < end) {
            pending_[pendingSize_++] = *p++;
            Fault fault{};
            if (!checkPrefix(pending_.data(), pendingSize_, info, fault)) return fail(fault, start);
        }
        if (pendingSize_ < info.length) {
            offset_ += piece.size();
            return Status::Ok;
        }
        pendingSize_ = 0;
        if (!emit(combine(pending_.data(), info.length), sink)) return Status::Stopped;
    }

    while (p < end) {
        const auto available = static_cast<std::size_t>(end - p);
        if constexpr (requires { sink.run(p, available); }) {
            if (const std::size_t used = sink.run(p, available)) {
                atStart_ = false;
                p += used;
                continue;
            }
        }
        if (available >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                // A run of ASCII, eight bytes at a time while it lasts.
                const std::uint8_t* run = p;
                p += 8;
                while (end - p >= 8) {
                    std::memcpy(&word, p, sizeof word);
                    if (word & 0x8080808080808080ull) break;
                    p += 8;
                }
                while (p < end && *p < 0x80) ++p;
                atStart_ = false;
                if (!sink.ascii(run, static_cast<std::size_t>(p - run))) return Status::Stopped;
                continue;
            }
        }

        if (available >= 3) {
            // Characters of one to three bytes whose only checks are the
            // continuation bits, decoded without branching on their length:
            // in enciphered text the lengths follow no pattern to predict.
            const std::uint8_t b0 = p[0], b1 = p[1], b2 = p[2];
            const unsigned length = kPlainLength[b0];
            const auto bit = [](bool b) { return static_cast<unsigned>(b); };
            const unsigned ok = bit(length != 0) & (bit(length < 2) | bit(isContinuation(b1))) &
                                (bit(length < 3) | bit(isContinuation(b2)));
            if (ok != 0) {
                // The lead's payload bits, then both continuations' bits
                // behind them, shifted back by what this length did not use.
                const std::uint32_t lead = b0 & kLeadBits[length];
                const std::uint32_t tail = ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
                const std::uint32_t ch = ((lead << 12) | tail) >> kTailShift[length];
                p += length;
                if (!emit(static_cast<char32_t>(ch), sink)) return Status::Stopped;
                continue;
            }
        }
        // Everything else, with the full checks; a sequence the piece cuts
        // short waits for the next piece.
        const std::uint64_t here = offset_ + static_cast<std::uint64_t>(p - piece.data());
        const LeadInfo info = leadInfo(*p);
        if (info.length == 0) return fail(info.leadFault, here);
        const std::size_t have = available < info.length ? available : info.length;
        Fault fault{};
        if (!checkPrefix(p, have, info, fault)) return fail(fault, here);
        if (have < info.length) {
            std::memcpy(pending_.data(), p, have);
            pendingSize_ = have;
            break;
        }
        const char32_t ch = combine(p, info.length);
        p += info.length;
        if (!emit(ch, sink)) return Status::Stopped;
    }
    offset_ += piece.size();
    return Status::Ok;
}

}  // namespace velmora::utf8

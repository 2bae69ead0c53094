#include "cli/utf8.h"

namespace velmora::utf8 {

std::string_view faultText(Fault fault) {
    switch (fault) {
    case Fault::Truncated: return "ofullständig teckensekvens";
    case Fault::StrayContinuation: return "fortsättningsbyte utan inledande byte";
    case Fault::Overlong: return "överlång kodning";
    case Fault::Surrogate: return "surrogattecken (U+D800–U+DFFF)";
    case Fault::TooLarge: return "tecken över U+10FFFF";
    case Fault::InvalidByte: return "byte som aldrig förekommer i UTF-8";
    }
    return "okänt fel";
}

void append(std::u32string_view codePoints, std::string& out) {
    for (const char32_t ch : codePoints) {
        const auto c = static_cast<std::uint32_t>(ch);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

Decoder::LeadInfo Decoder::leadInfo(std::uint8_t lead) {
    constexpr Fault none = Fault::Truncated;  // unused slot
    if (lead < 0x80) return {1, 0, 0, none, none, none};
    if (lead < 0xC0) return {0, 0, 0, none, none, Fault::StrayContinuation};
    if (lead < 0xC2) return {0, 0, 0, none, none, Fault::Overlong};
    if (lead < 0xE0) return {2, 0x80, 0xBF, none, none, none};
    if (lead == 0xE0) return {3, 0xA0, 0xBF, Fault::Overlong, none, none};
    if (lead == 0xED) return {3, 0x80, 0x9F, none, Fault::Surrogate, none};
    if (lead < 0xF0) return {3, 0x80, 0xBF, none, none, none};
    if (lead == 0xF0) return {4, 0x90, 0xBF, Fault::Overlong, none, none};
    if (lead < 0xF4) return {4, 0x80, 0xBF, none, none, none};
    if (lead == 0xF4) return {4, 0x80, 0x8F, none, Fault::TooLarge, none};
    if (lead < 0xF8) return {0, 0, 0, none, none, Fault::TooLarge};
    return {0, 0, 0, none, none, Fault::InvalidByte};
}

bool Decoder::checkPrefix(const std::uint8_t* seq, std::size_t count, const LeadInfo& info, Fault& fault) {
    // Byte by byte, in order, so that the verdict never depends on how many
    // of the bytes have arrived yet.
    for (std::size_t i = 1; i < count; ++i) {
        if (!isContinuation(seq[i])) {
            fault = Fault::Truncated;
            return false;
        }
        if (i == 1 && seq[1] < info.secondLow) {
            fault = info.belowRange;
            return false;
        }
        if (i == 1 && seq[1] > info.secondHigh) {
            fault = info.aboveRange;
            return false;
        }
    }
    return true;
}

char32_t Decoder::combine(const std::uint8_t* seq, std::size_t length) {
    constexpr std::array<std::uint8_t, 5> leadBits = {0, 0x7F, 0x1F, 0x0F, 0x07};
    std::uint32_t ch = seq[0] & leadBits[length];
    for (std::size_t i = 1; i < length; ++i) ch = (ch << 6) | (seq[i] & 0x3Fu);
    return static_cast<char32_t>(ch);
}

Decoder::Status Decoder::finish() {
    if (pendingSize_ > 0) return fail(Fault::Truncated, offset_ - pendingSize_);
    return Status::Ok;
}

}  // namespace velmora::utf8

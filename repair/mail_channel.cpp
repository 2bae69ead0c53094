#include "repair/mail_channel.h"

#include "repair/text_model.h"

#include <cstddef>

namespace velmora::repair {

bool isDroppedControl(std::uint8_t code) {
    return (code >= 1 && code < 32 && code != '\t' && code != '\r' && code != '\n') || code == 127;
}

bool isC1Control(std::uint8_t code) {
    return code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D;
}

bool isBeyondLatin1(std::uint8_t code) { return code >= 0x80 && code < 0xA0; }

namespace {

struct Census {
    std::size_t length = 0;
    std::size_t crLf = 0, loneCr = 0, loneLf = 0;
    std::size_t controls = 0, c1 = 0, blanks = 0, questionMarks = 0, noBreaks = 0, tabs = 0;
    std::size_t blankBeforeLineEnd = 0;
};

Census count(std::span<const std::uint16_t> r) {
    Census c;
    c.length = r.size();
    for (std::size_t j = 0; j < r.size(); ++j) {
        const std::uint16_t x = r[j];
        if (x == '\r') {
            if (j + 1 < r.size() && r[j + 1] == '\n') {
                ++c.crLf;
                ++j;
            } else {
                ++c.loneCr;
            }
        } else if (x == '\n') {
            ++c.loneLf;
        } else if (x < 256) {
            const auto code = static_cast<std::uint8_t>(x);
            c.controls += isDroppedControl(code);
            c.c1 += isC1Control(code);
            c.blanks += code == ' ';
            c.questionMarks += code == '?';
            c.noBreaks += code == 0xA0;
            c.tabs += code == '\t';
            if (code == ' ' && j + 1 < r.size() && (r[j + 1] == '\r' || r[j + 1] == '\n')) ++c.blankBeforeLineEnd;
        }
    }
    return c;
}

constexpr std::uint32_t bits(double b) { return static_cast<std::uint32_t>(b * kBit + 0.5); }

// Whether a class of codes that an enciphered text holds `share` of is
// missing: far fewer than expected, in a text long enough to tell.
bool missing(std::size_t seen, std::size_t length, double share) {
    const double expected = share * static_cast<double>(length);
    // A path that removes a class removes all of it.
    return expected >= 4 && seen == 0;
}

// Whether there are clearly more than the `share` an enciphered text holds.
bool surplus(std::size_t seen, std::size_t length, double share, double factor = 2) {
    const double expected = share * static_cast<double>(length);
    return static_cast<double>(seen) > factor * expected + 1;
}

}  // namespace

MailChannel MailChannel::readFrom(std::span<const std::uint16_t> received) {
    const Census c = count(received);
    constexpr double kOne = 1.0 / 255;
    MailChannel m;

    // Line ends: each code is a lone CR or LF with odds 1 in 255. Tokens of
    // one kind alone mean the path made them uniform, and each stood for a
    // lone CR or a lone LF about equally often.
    const std::size_t tokens = c.crLf + c.loneCr + c.loneLf;
    const int kinds = (c.crLf > 0) + (c.loneCr > 0) + (c.loneLf > 0);
    // A CR LF is 1 in 65,025 pairs of an enciphered text, so line ends that
    // are all CR LF were made so; all lone CR or all lone LF is chance as
    // long as there are few.
    const bool uniform = kinds == 1 && (c.crLf > 0 || tokens >= 3);
    const std::uint32_t swapped = uniform ? bits(1) : kinds == 1 ? bits(3) : bits(8);
    m.lineEndKept = uniform ? bits(1) : 0;
    m.lineEndForCr = swapped;
    m.lineEndForLf = swapped;
    m.lineEndForCrLf = uniform ? bits(10) : bits(12);
    const bool wrapped = surplus(tokens, c.length, 2 * kOne);
    m.lineEndAdded = wrapped ? bits(2) : bits(7);
    m.lineEndForBlank = wrapped ? bits(3) : bits(9);
    m.finalLineEnd = bits(1);

    m.blankAdded = bits(9);
    m.blankAddedAtLine = surplus(c.blankBeforeLineEnd, tokens, kOne) ? bits(2) : bits(5);
    m.greaterAdded = bits(8);
    m.blankDropped = bits(4);

    m.controlDropped = missing(c.controls, c.length, 29 * kOne) ? bits(1) : bits(14);
    m.c1Dropped = missing(c.c1, c.length, 5 * kOne) ? bits(2) : bits(14);
    // No-break spaces and tabs made blanks leave no no-break space or tab
    // and twice the blanks.
    const std::uint32_t blankFor = surplus(c.blanks, c.length, kOne, 1.4) ? bits(1) : bits(4);
    m.blankForNoBreak = c.noBreaks == 0 && c.length >= 200 ? blankFor : bits(8);
    m.blankForTab = c.tabs == 0 && c.length >= 200 ? blankFor : bits(8);
    m.questionMark = surplus(c.questionMarks, c.length, kOne, 3) ? bits(1) : bits(8);
    m.unreadable = bits(2);
    m.selectionExtra = bits(12);
    m.selectionMissing = bits(8);

    const auto isLineEnd = [](std::uint16_t x) { return x == '\r' || x == '\n'; };
    const bool lineEndOutside = !received.empty() && (isLineEnd(received.front()) || isLineEnd(received.back()));
    // Worth a search: any kind the text shows a sign of, however faint.
    const std::uint32_t sign = bits(8);
    m.showsDamage = kinds == 1 || wrapped || lineEndOutside || m.controlDropped < sign || m.c1Dropped < sign ||
                    m.blankForNoBreak < sign || m.blankForTab < sign || m.questionMark < sign;
    return m;
}

}  // namespace velmora::repair

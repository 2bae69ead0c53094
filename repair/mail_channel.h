#pragma once

#include <cstdint>
#include <span>

namespace velmora::repair {

// The received text's codes: a Windows-1252 code, or kUnreadable for a
// character outside the code page.
inline constexpr std::uint16_t kUnreadable = 256;

// What each kind of damage costs (in 1/16 bit) in one received text. The
// text itself tells which mail path it took: an enciphered text holds every
// code about equally often, so a class of codes that is missing was removed
// on the way, and line ends of one kind only were made uniform.
struct MailChannel {
    static constexpr std::uint32_t kOff = 0xFFFF;  // a kind this text shows no sign of

    std::uint32_t lineEndKept = 0;   // a line end token that is what was sent
    std::uint32_t lineEndForCr = 0;  // a line end token that stood for a lone CR
    std::uint32_t lineEndForLf = 0;
    std::uint32_t lineEndForCrLf = 0;
    std::uint32_t lineEndAdded = 0;
    std::uint32_t lineEndForBlank = 0;
    std::uint32_t finalLineEnd = 0;      // a line end added at the very end
    std::uint32_t blankAdded = 0;        // anywhere
    std::uint32_t blankAddedAtLine = 0;  // first on a line, or last before a line end
    std::uint32_t greaterAdded = 0;      // ">" first on a line (">From")
    std::uint32_t blankDropped = 0;      // before a line end, or after a blank
    std::uint32_t controlDropped = 0;    // C0 without tab, CR and LF; DEL
    std::uint32_t c1Dropped = 0;         // the five undefined codes, shown as C1 controls
    std::uint32_t blankForNoBreak = 0;
    std::uint32_t blankForTab = 0;
    std::uint32_t questionMark = 0;
    std::uint32_t unreadable = 0;      // a character outside the code page
    std::uint32_t selectionExtra = 0;  // a character of the mail around the selection
    std::uint32_t selectionMissing = 0;

    // Whether the text bears a mark of a mail path: line ends of one kind
    // only, a class of codes missing, a line end first or last.
    bool showsDamage = false;

    static MailChannel readFrom(std::span<const std::uint16_t> received);
};

// Classes of codes the channel may drop or replace.
bool isDroppedControl(std::uint8_t code);  // 1-8, 11, 12, 14-31, 127
bool isC1Control(std::uint8_t code);       // 0x81 0x8D 0x8F 0x90 0x9D
bool isBeyondLatin1(std::uint8_t code);    // the code page's 0x80-0x9F: what "?" may stand for

}  // namespace velmora::repair

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::repair {

// What a mail path did at one place of the received text, as the repair
// reads it. Every kind is undone in the repaired text.
enum class ChangeKind : std::uint8_t {
    LineEndForCr,      // a line end stood for a lone CR
    LineEndForLf,      // a line end stood for a lone LF
    LineEndForCrLf,    // a lone CR or LF stood for a CR LF
    LineEndAdded,      // a line end was added (a wrapped line, the mail's end)
    LineEndForBlank,   // a line end took the place of a blank
    BlankAdded,        // a blank was added (before a soft line break, stuffed)
    CharacterAdded,    // another character was added (a selection too wide, ">From")
    BlankDropped,      // a blank or tab was dropped (before a line end, a run collapsed)
    ControlDropped,    // a control character, DEL or a C1 code was dropped
    CharacterMissing,  // a character left out of the selection
    BlankForNoBreak,   // a blank stood for a no-break space
    BlankForTab,       // a blank stood for a tab
    QuestionMark,      // "?" stood for a character the mail's charset lacked
    Unreadable,        // a character outside the code page stood for another
};

struct Change {
    std::size_t position = 0;  // UTF-16 index in the received text
    ChangeKind kind = ChangeKind::LineEndAdded;
    bool guess = false;  // the character put in its place is the model's best guess
    friend bool operator==(const Change&, const Change&) = default;
};

enum class Outcome : std::uint8_t {
    Exact,     // the exact transformation is the answer: it reads as text, or the input did
    Repaired,  // a reading that is text throughout; `text` and `changes` hold it
    NotText,   // no reading is text (a wrong password, or not a Velmora text)
    TooLarge,  // longer than kMaxLength: not searched
};

struct Repair {
    Outcome outcome = Outcome::Exact;
    std::u16string text;          // the repaired plain text, for Outcome::Repaired
    std::vector<Change> changes;  // in order of position
};

// The longest text the search takes, in characters: it holds the whole text
// and a few candidate readings of every character.
inline constexpr std::size_t kMaxLength = std::size_t{2} << 20;

// Finds the text most likely sent, given the received one and the password,
// under a model of what mail programs and servers do to a text. The exact
// transformation is tried first: where it reads as text throughout, or
// where the received text reads as text (a plain text being enciphered),
// the outcome is Exact and nothing is searched. The received text must have
// passed the cipher's own check (every character in the code page but for
// those a mail path may put in, no NUL) and the password must not be empty.
Repair repairText(std::u16string_view received, std::u16string_view password);

// Whether a text reads as plain mail text from its start to its end.
bool readsAsText(std::u16string_view text);

}  // namespace velmora::repair

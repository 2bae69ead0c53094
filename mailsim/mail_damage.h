#pragma once

#include <string>
#include <vector>

namespace velmora::mailtest {

// What mail programs, servers and editors do to a text on its way, each as
// a function from the text sent to the text received.
struct Damage {
    const char* name;
    std::u16string (*apply)(const std::u16string&);
};

std::u16string lineEndsCrLf(const std::u16string& sent);        // SMTP: every line end CR LF
std::u16string lineEndsLf(const std::u16string& sent);          // read on Linux or a Mac
std::u16string finalLineEnd(const std::u16string& sent);        // one more at the end
std::u16string trailingBlanks(const std::u16string& sent);      // blanks and tabs before line ends dropped
std::u16string noBreakSpaces(const std::u16string& sent);       // U+00A0 made a blank
std::u16string formatFlowed(const std::u16string& sent);        // RFC 3676, shown by a client that does not know it
std::u16string hardWrap(const std::u16string& sent);            // wrapped at 76 columns by the sender
std::u16string htmlPaste(const std::u16string& sent);           // an HTML editor's paste
std::u16string dropControls(const std::u16string& sent);        // C0 without tab, CR, LF; DEL
std::u16string dropC1(const std::u16string& sent);              // U+0080-U+009F
std::u16string questionMarks(const std::u16string& sent);       // beyond Latin-1 made "?"
std::u16string blankLinesSelected(const std::u16string& sent);  // the selection took the lines around
std::u16string firstMissed(const std::u16string& sent);         // the selection missed the first character

// Every kind above alone, then the mixes of real paths.
const std::vector<Damage>& damageKinds();

}  // namespace velmora::mailtest

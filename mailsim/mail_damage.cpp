#include "mailsim/mail_damage.h"

namespace velmora::mailtest {

namespace {

bool isLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }

// The text's lines, split at CR LF, lone CR and lone LF alike.
std::vector<std::u16string> linesOf(const std::u16string& text) {
    std::vector<std::u16string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isLineEnd(text[i])) {
            lines.back().push_back(text[i]);
            continue;
        }
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        lines.emplace_back();
    }
    return lines;
}

std::u16string joined(const std::vector<std::u16string>& lines, std::u16string_view end) {
    std::u16string out;
    for (std::size_t k = 0; k < lines.size(); ++k) out += (k ? std::u16string(end) : u"") + lines[k];
    return out;
}

template <typename Keep>
std::u16string keepIf(const std::u16string& text, Keep keep) {
    std::u16string out;
    for (char16_t c : text)
        if (keep(c)) out.push_back(c);
    return out;
}

std::u16string stripTrailing(std::u16string line) {
    while (!line.empty() && (line.back() == u' ' || line.back() == u'\t')) line.pop_back();
    return line;
}

// Lines no longer than `width`, broken after the last blank that fits (kept
// at the line's end) or, with none, hard at `width`.
std::vector<std::u16string> wrapped(const std::vector<std::u16string>& lines, std::size_t width, bool keepBlank,
                                    std::u16string_view hardBreakMark) {
    std::vector<std::u16string> out;
    for (std::u16string line : lines) {
        while (line.size() > width) {
            std::size_t cut = line.rfind(u' ', width - 1);
            if (cut == std::u16string::npos || cut == 0) {
                out.push_back(line.substr(0, width) + std::u16string(hardBreakMark));
                line.erase(0, width);
            } else {
                out.push_back(line.substr(0, keepBlank ? cut + 1 : cut));
                line.erase(0, cut + 1);
            }
        }
        out.push_back(line);
    }
    return out;
}

}  // namespace

std::u16string lineEndsCrLf(const std::u16string& sent) { return joined(linesOf(sent), u"\r\n"); }

std::u16string lineEndsLf(const std::u16string& sent) { return joined(linesOf(sent), u"\n"); }

std::u16string finalLineEnd(const std::u16string& sent) { return sent + u"\r\n"; }

std::u16string trailingBlanks(const std::u16string& sent) {
    std::u16string out;
    for (std::size_t i = 0; i <= sent.size(); ++i) {
        if (i == sent.size() || isLineEnd(sent[i])) out = stripTrailing(out);
        if (i < sent.size()) out.push_back(sent[i]);
    }
    return out;
}

std::u16string noBreakSpaces(const std::u16string& sent) {
    std::u16string out = sent;
    for (char16_t& c : out)
        if (c == u'\u00A0') c = u' ';
    return out;
}

std::u16string formatFlowed(const std::u16string& sent) {
    std::vector<std::u16string> lines = linesOf(sent);
    for (auto& line : lines) line = stripTrailing(line);
    // Soft breaks keep their blank; a line with none gets one added (DelSp).
    lines = wrapped(lines, 76, true, u" ");
    for (auto& line : lines) {
        if (!line.empty() && (line[0] == u' ' || line[0] == u'>' || line.starts_with(u"From "))) line.insert(0, u" ");
    }
    return joined(lines, u"\r\n");
}

std::u16string hardWrap(const std::u16string& sent) { return joined(wrapped(linesOf(sent), 76, false, u""), u"\r\n"); }

std::u16string htmlPaste(const std::u16string& sent) {
    std::u16string out;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        char16_t c = sent[i];
        if (c == u'\r' && i + 1 < sent.size() && sent[i + 1] == u'\n') continue;
        if (c == u'\r') c = u'\n';
        if (c == u'\t') c = u' ';
        if (c == u' ' && !out.empty() && out.back() == u' ') continue;
        out.push_back(c);
    }
    return out;
}

std::u16string dropControls(const std::u16string& sent) {
    return keepIf(sent, [](char16_t c) { return !((c < 0x20 && c != u'\t' && !isLineEnd(c)) || c == 0x7F); });
}

std::u16string dropC1(const std::u16string& sent) {
    return keepIf(sent, [](char16_t c) { return c < 0x80 || c > 0x9F; });
}

std::u16string questionMarks(const std::u16string& sent) {
    std::u16string out = sent;
    for (char16_t& c : out)
        if (c > 0xFF) c = u'?';
    return out;
}

std::u16string blankLinesSelected(const std::u16string& sent) {
    std::u16string out = u"\r\n";
    return out.append(sent).append(u"\r\n");
}

std::u16string firstMissed(const std::u16string& sent) { return sent.substr(1); }

const std::vector<Damage>& damageKinds() {
    static const std::vector<Damage> kinds = {
        {"line ends CR LF", lineEndsCrLf},
        {"line ends LF", lineEndsLf},
        {"final line end", finalLineEnd},
        {"trailing blanks", trailingBlanks},
        {"no-break spaces", noBreakSpaces},
        {"format=flowed", formatFlowed},
        {"hard wrap", hardWrap},
        {"HTML paste", htmlPaste},
        {"controls dropped", dropControls},
        {"C1 dropped", dropC1},
        {"\"?\" for non-Latin-1", questionMarks},
        {"blank lines selected", blankLinesSelected},
        {"first character missed", firstMissed},
        {"SMTP path (CR LF, final)", [](const std::u16string& s) { return finalLineEnd(lineEndsCrLf(s)); }},
        {"Python email (LF, final)", [](const std::u16string& s) { return lineEndsLf(s) + u"\n"; }},
        {"flowed, read on Linux", [](const std::u16string& s) { return lineEndsLf(formatFlowed(s)); }},
        {"wrap, strip, Latin-1", [](const std::u16string& s) { return questionMarks(trailingBlanks(hardWrap(s))); }},
        {"webmail (HTML, controls)", [](const std::u16string& s) { return dropControls(htmlPaste(s)); }},
    };
    return kinds;
}

}  // namespace velmora::mailtest

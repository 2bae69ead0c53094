#include "cli/repair_command.h"

#include "cipher/cp1252.h"
#include "cipher/text_position.h"
#include "cli/utf8_simd.h"
#include "cli/whole_text.h"
#include "repair/change_text.h"
#include "repair/repair.h"
#include "secrets/wiping_allocator.h"

#include <optional>
#include <vector>

namespace velmora::cli {

namespace {

RepairEnd tooLong() {
    return {ExitStatus::BadUsageOrInput,
            "Texten är för lång för att lagas (högst " + std::to_string(repair::kMaxLength) + " tecken)."};
}

RepairEnd noReadableText() {
    return {ExitStatus::NoReadableText,
            "Ingen läsning av texten blir läsbar: fel lösenord, eller inte en text från Velmora. "
            "Det vanliga resultatet är skrivet."};
}

// The password as the repair takes it: characters, not codes.
SecretVector<char16_t> passwordText(std::span<const std::uint8_t> codes) {
    SecretVector<char16_t> text;
    text.reserve(codes.size());
    for (const std::uint8_t code : codes) text.push_back(cp1252::toUnicode(code));
    return text;
}

// The repaired text as the output takes it: UTF-8, or Windows-1252 bytes
// with --raw. The repair builds it from codes, so every character has one.
std::vector<std::uint8_t> encoded(std::u16string_view text, bool raw) {
    std::vector<std::uint8_t> codes(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) codes[i] = cp1252::fromUnicode(text[i]).value_or('?');
    if (raw) return codes;
    std::vector<std::uint8_t> bytes(3 * codes.size());
    bytes.resize(utf8::encodeCodes(codes, bytes.data()));
    return bytes;
}

// Lines and columns of places in order, each counted from the start of the
// line the place before stood on: many changes, one pass over the text.
class PlaceFinder {
public:
    explicit PlaceFinder(std::u16string_view text) : text_(text) {}

    TextPosition at(std::size_t offset) {
        if (offset < lineStart_) *this = PlaceFinder(text_);
        const TextPosition within = locate(text_.substr(lineStart_), offset - lineStart_);
        line_ += within.line - 1;
        // Every character of the received text is one UTF-16 unit (it is in the code page).
        lineStart_ = offset - (within.column - 1);
        return {line_, within.column};
    }

private:
    std::u16string_view text_;
    std::size_t lineStart_ = 0;
    std::size_t line_ = 1;
};

// One line a change: "rad 3, kolumn 17: radslut som stod för ett ensamt CR".
std::string changeLines(std::u16string_view received, const std::vector<repair::Change>& changes) {
    PlaceFinder places(received);
    std::string lines;
    for (const repair::Change& change : changes) {
        const TextPosition at = places.at(change.position);
        if (!lines.empty()) lines += '\n';
        lines += "rad " + std::to_string(at.line) + ", kolumn " + std::to_string(at.column) + ": " +
                 repair::describe(change.kind) + (change.guess ? " (gissning)" : "");
    }
    return lines;
}

// Writes the bytes and makes them the output's content.
std::optional<Failure> deliver(OutputTarget& output, std::span<const std::uint8_t> bytes) {
    if (const int error = FdSink(output.fd(), output.syncsOnCommit()).write(bytes); error != 0) {
        output.discard();
        return ioFailure("Kan inte skriva resultatet", error);
    }
    return output.commit();
}

// Delivers the bytes; then the run ends as planned, unless the writing failed.
RepairEnd deliverThenEnd(OutputTarget& output, std::span<const std::uint8_t> bytes, RepairEnd planned) {
    if (auto failure = deliver(output, bytes)) return {failure->status, std::move(failure->message)};
    return planned;
}

// Writes what the repair's outcome calls for; how the run ends.
RepairEnd endWith(const repair::Repair& found, const WholeText& whole, OutputTarget& output, bool raw) {
    switch (found.outcome) {
    case repair::Outcome::Exact: return deliverThenEnd(output, whole.ordinaryOutput, {});
    case repair::Outcome::Repaired:
        return deliverThenEnd(output, encoded(found.text, raw),
                              {ExitStatus::Success, changeLines(whole.received, found.changes)});
    case repair::Outcome::NotText: return deliverThenEnd(output, whole.ordinaryOutput, noReadableText());
    case repair::Outcome::TooLarge: break;
    }
    output.discard();
    return tooLong();
}

}  // namespace

RepairEnd runRepair(ByteSource& input, OutputTarget& output, std::span<const std::uint8_t> passwordCodes, bool raw) {
    auto read = readWholeText(input, passwordCodes, raw, repair::kMaxLength);
    if (auto* failure = std::get_if<Failure>(&read)) {
        output.discard();
        return {failure->status, std::move(failure->message)};
    }
    if (std::holds_alternative<TextTooLong>(read)) {
        output.discard();
        return tooLong();
    }
    const WholeText& whole = std::get<WholeText>(read);
    const SecretVector<char16_t> password = passwordText(passwordCodes);
    const repair::Repair found = repair::repairText(whole.received, {password.data(), password.size()});
    return endWith(found, whole, output, raw);
}

}  // namespace velmora::cli

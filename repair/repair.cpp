#include "repair/repair.h"

#include "cipher/cp1252.h"
#include "cipher/key_stream.h"
#include "cipher/text_cipher.h"
#include "repair/mail_channel.h"
#include "repair/reading_search.h"
#include "repair/text_model.h"
#include "secrets/wiping_allocator.h"

#include <algorithm>
#include <cstdlib>
#include <variant>

namespace velmora::repair {

namespace {

// A text reads as text when no window of this many characters costs more
// than the bound on average: over mail text the dearest window costs under
// thirteen bits a character (an address, a row of figures), while noise
// costs eighteen and seldom less than sixteen.
constexpr std::size_t kWindow = 32;
constexpr std::uint64_t kTextBound = 19 * kBit / 2;

bool codesReadAsText(std::span<const std::uint8_t> codes) {
    std::vector<std::uint32_t> costs(codes.size());
    TextModel::State state = TextModel::start();
    for (std::size_t i = 0; i < codes.size(); ++i) {
        costs[i] = TextModel::cost(state, codes[i]);
        state = TextModel::next(state, codes[i]);
    }
    const std::size_t window = std::min(kWindow, codes.size());
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        sum += costs[i];
        if (i >= window) sum -= costs[i - window];
        if (i + 1 >= window && sum > kTextBound * window) return false;
    }
    return true;
}

std::vector<std::uint16_t> receivedCodes(std::u16string_view text) {
    std::vector<std::uint16_t> codes(text.size());
    for (std::size_t j = 0; j < text.size(); ++j) {
        const auto code = cp1252::fromUnicode(text[j]);
        codes[j] = code && *code != 0 ? *code : kUnreadable;
    }
    return codes;
}

SecretBytes keysFor(std::u16string_view password, std::size_t count) {
    SecretBytes codes(password.size());
    for (std::size_t k = 0; k < password.size(); ++k) codes[k] = cp1252::fromUnicode(password[k]).value_or('?');
    SecretBytes keys(count, 0);
    // A zero code comes out as its key: the cipher applied to zeros is the key stream.
    KeyStream(codes).apply(keys);
    return keys;
}

// The cost of reading the received text exactly, under the same channel.
std::uint64_t exactCost(const std::u16string& exact, std::span<const std::uint16_t> codes, const MailChannel& channel) {
    std::vector<std::uint8_t> plain(exact.size());
    for (std::size_t i = 0; i < exact.size(); ++i) plain[i] = cp1252::fromUnicode(exact[i]).value_or(0x81);
    std::uint64_t cost = TextModel::cost(plain);
    for (std::size_t j = 0; j < codes.size(); ++j)
        if (codes[j] == '\r' || (codes[j] == '\n' && (j == 0 || codes[j - 1] != '\r'))) cost += channel.lineEndKept;
    return cost;
}

// How much more likely a repaired reading must be than noise, and than an
// exact result that reads as text (the search runs on such a text only where
// it bears a mark of a mail path: a line end added at its end costs the
// exact reading one character of noise, and must be undone).
constexpr std::uint64_t kNoiseMargin = 12 * kBit;
constexpr std::uint64_t kExactMargin = 13 * kBit;
// A line end at the very end alone: nearly every mail path adds one, and only
// two codes in 255 of an enciphered text end on one by chance.
constexpr std::uint64_t kFinalLineEndMargin = 9 * kBit;
// And more for each change of a kind the text shows no clear sign of: a
// name the model does not know must not be "repaired" into a word it does.
constexpr std::uint64_t kFaintChangeMargin = 2 * kBit;

// What the channel charged for a change.
std::uint32_t channelCost(const Change& change, const MailChannel& ch, std::size_t length) {
    switch (change.kind) {
    case ChangeKind::LineEndForCr: return ch.lineEndForCr;
    case ChangeKind::LineEndForLf: return ch.lineEndForLf;
    case ChangeKind::LineEndForCrLf: return ch.lineEndForCrLf;
    case ChangeKind::LineEndAdded: return change.position + 2 >= length ? ch.finalLineEnd : ch.lineEndAdded;
    case ChangeKind::LineEndForBlank: return ch.lineEndForBlank;
    case ChangeKind::BlankAdded: return ch.blankAddedAtLine;
    case ChangeKind::CharacterAdded: return ch.greaterAdded;
    case ChangeKind::BlankDropped: return ch.blankDropped;
    case ChangeKind::ControlDropped: return std::min(ch.controlDropped, ch.c1Dropped);
    case ChangeKind::CharacterMissing: return ch.selectionMissing;
    case ChangeKind::BlankForNoBreak: return ch.blankForNoBreak;
    case ChangeKind::BlankForTab: return ch.blankForTab;
    case ChangeKind::QuestionMark: return ch.questionMark;
    case ChangeKind::Unreadable: return ch.unreadable;
    }
    return 0;
}

std::uint64_t exactMargin(const std::vector<Change>& changes, const MailChannel& channel, std::size_t length) {
    const bool onlyFinal =
        changes.size() == 1 && changes[0].kind == ChangeKind::LineEndAdded && changes[0].position + 2 >= length;
    std::uint64_t margin = onlyFinal ? kFinalLineEndMargin : kExactMargin;
    for (const Change& change : changes)
        if (channelCost(change, channel, length) > 2 * kBit) margin += kFaintChangeMargin;
    return margin;
}

// Whether a reading differs from the exact result only where the exact
// result shows a no-break space and the reading a blank, in a text whose
// writer used no no-break space of their own: the mail made a blank of a
// no-break space that the cipher had made of a blank. The two readings look
// the same, so no margin is needed to prefer the one the mail was written as.
bool differsOnlyInNoBreaks(const std::u16string& exact, std::span<const std::uint8_t> plain) {
    if (exact.size() != plain.size()) return false;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const char16_t read = cp1252::toUnicode(plain[i]);
        if (exact[i] == u'\u00A0' && read == u' ') continue;
        if (exact[i] != read || read == u'\u00A0') return false;
    }
    return true;
}

}  // namespace

bool readsAsText(std::u16string_view text) {
    std::vector<std::uint8_t> codes(text.size());
    for (std::size_t j = 0; j < text.size(); ++j) {
        const auto code = cp1252::fromUnicode(text[j]);
        if (!code || *code == 0) return false;
        codes[j] = *code;
    }
    return codesReadAsText(codes);
}

Repair repairText(std::u16string_view received, std::u16string_view password) {
    if (received.size() > kMaxLength) return {Outcome::TooLarge, {}, {}};
    if (readsAsText(received)) return {};
    const CryptResult exactResult = cryptText(received, password);
    const auto* exact = std::get_if<std::u16string>(&exactResult);
    const bool exactIsText = exact && readsAsText(*exact);

    const std::vector<std::uint16_t> codes = receivedCodes(received);
    const MailChannel channel = MailChannel::readFrom(codes);
    if (exactIsText && !channel.showsDamage) return {};
    const SecretBytes keys = keysFor(password, keysNeeded(codes.size()));
    // Dropped characters leave the most readings open: a wider search.
    SearchWidth width;
    if (channel.controlDropped <= 2 * kBit || channel.c1Dropped <= 2 * kBit) width.beam = 64;
    auto reading = searchReading(codes, keys, channel, width);
    // A reading is offered only where it explains the received text far
    // better than noise does (eight bits a code) and, where the exact result
    // reads as text too, far better than that.
    const std::uint64_t noiseCost = std::uint64_t{8} * kBit * codes.size();
    const auto beatsExact = [&] {
        if (!exactIsText) return true;
        const std::uint64_t margin =
            differsOnlyInNoBreaks(*exact, reading->plain) ? 0 : exactMargin(reading->changes, channel, codes.size());
        return reading->cost + margin < exactCost(*exact, codes, channel);
    };
    const bool found = reading && !reading->changes.empty() && !reading->plain.empty() &&
                       reading->cost + kNoiseMargin < noiseCost && codesReadAsText(reading->plain) && beatsExact();
    if (!found) return {exactIsText ? Outcome::Exact : Outcome::NotText, {}, {}};

    Repair repair{Outcome::Repaired, {}, std::move(reading->changes)};
    repair.text.reserve(reading->plain.size());
    for (const std::uint8_t code : reading->plain) repair.text.push_back(cp1252::toUnicode(code));
    return repair;
}

}  // namespace velmora::repair

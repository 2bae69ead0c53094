#include "cli/whole_text.h"

#include "cipher/cp1252.h"
#include "cli/crypt_stream.h"
#include "cli/utf8.h"

#include <algorithm>

namespace velmora::cli {

namespace {

// Hands the source's bytes on and keeps a copy. Once it holds more than its
// limit it reads no more, as if the source had ended.
class KeepingSource final : public ByteSource {
public:
    KeepingSource(ByteSource& source, std::size_t limit) : source_(source), limit_(limit) {}

    Result read(std::span<std::uint8_t> buffer) override {
        if (overLimit()) return {};
        const Result got = source_.read(buffer.first(std::min(buffer.size(), limit_ + 1 - kept_.size())));
        kept_.insert(kept_.end(), buffer.data(), buffer.data() + got.count);
        return got;
    }

    bool overLimit() const { return kept_.size() > limit_; }
    const std::vector<std::uint8_t>& kept() const { return kept_; }

private:
    ByteSource& source_;
    const std::size_t limit_;
    std::vector<std::uint8_t> kept_;
};

class MemorySink final : public ByteSink {
public:
    int write(std::span<const std::uint8_t> bytes) override {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return 0;
    }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

// The most bytes a text of that many characters takes: every character of
// the code page is one to three bytes of UTF-8, and a byte order mark three.
std::size_t byteLimit(std::size_t maxCharacters, bool raw) { return raw ? maxCharacters : 3 * maxCharacters + 3; }

// Collects decoded characters as UTF-16; every one is in the code page.
struct Utf16Collector {
    std::u16string& text;
    bool ascii(const std::uint8_t* bytes, std::size_t count) {
        text.append(bytes, bytes + count);
        return true;
    }
    bool codePoint(char32_t ch) {
        text.push_back(static_cast<char16_t>(ch));
        return true;
    }
};

// The characters of bytes the ordinary stream has taken, so valid throughout.
std::u16string receivedText(std::span<const std::uint8_t> bytes, bool raw) {
    std::u16string text;
    text.reserve(bytes.size());
    if (raw) {
        for (const std::uint8_t code : bytes) text.push_back(cp1252::toUnicode(code));
        return text;
    }
    utf8::Decoder decoder(true);  // as the stream reads: a leading byte order mark is not text
    Utf16Collector collector{text};
    decoder.feed(bytes, collector);
    return text;
}

}  // namespace

std::variant<WholeText, Failure, TextTooLong> readWholeText(ByteSource& source,
                                                            std::span<const std::uint8_t> passwordCodes, bool raw,
                                                            std::size_t maxCharacters) {
    KeepingSource keeping(source, byteLimit(maxCharacters, raw));
    MemorySink sink;
    StreamSettings settings;
    settings.raw = raw;
    StreamOutcome outcome = cryptStream(keeping, sink, passwordCodes, settings);
    if (keeping.overLimit()) return TextTooLong{};
    if (outcome.failure) return std::move(*outcome.failure);
    WholeText whole{receivedText(keeping.kept(), raw), sink.take()};
    if (whole.received.size() > maxCharacters) return TextTooLong{};
    return whole;
}

}  // namespace velmora::cli

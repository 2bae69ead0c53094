// The command-line tool's streaming parts, fed in pieces of every size: the
// UTF-8 reader and writer and the streamed cipher against the whole-text one,
// refusals included, in UTF-8 and in Windows-1252 bytes.
#include "cipher/cp1252.h"
#include "cipher/text_cipher.h"
#include "cipher/text_position.h"
#include "cli/crypt_stream.h"
#include "cli/utf8.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace velmora::cli;
using namespace std::literals;

// Hands out its bytes in pieces of a fixed size.
struct PieceSource final : ByteSource {
    PieceSource(std::string bytes, std::size_t size) : data(std::move(bytes)), piece(size) {}
    Result read(std::span<std::uint8_t> buffer) override {
        const std::size_t n = std::min({piece, buffer.size(), data.size() - at});
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), n, buffer.begin());
        at += n;
        return {n, 0};
    }
    std::string data;
    std::size_t piece, at = 0;
};

struct StringSink final : ByteSink {
    int write(std::span<const std::uint8_t> bytes) override {
        text.append(bytes.begin(), bytes.end());
        return 0;
    }
    std::string text;
};

std::string toUtf8(std::u16string_view text) {
    std::u32string points;
    for (std::size_t i = 0; i < text.size(); i += (points.back() > 0xFFFF ? 2u : 1u))
        points += velmora::codePointAt(text, i);
    std::string out;
    velmora::utf8::append(points, out);
    return out;
}

// Windows-1252 bytes; nothing for a text with a character outside the code page.
std::optional<std::string> toRaw(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        const auto code = velmora::cp1252::fromUnicode(c);
        if (!code) return std::nullopt;
        out += static_cast<char>(*code);
    }
    return out;
}

const std::vector<std::uint8_t> kPassword = {'H', 'e', 'm', 'l', 'i', 'g', 't', '7'};

TEST(CryptStream, AgreesWithTheWholeTextCipherHoweverCut) {
    std::u16string longText;
    for (int i = 0; longText.size() < 3000; ++i)
        longText += u"Hej då, € och œ\tflik\r\nrad\rny\n" + std::u16string(static_cast<std::size_t>(i % 7), u'x');
    const std::u16string texts[] = {
        longText,         u"ett\r\ntvå\r\n\rtre 中",     u"a\r\n\n\r\rb\tc\0 och mer å"s, u"rad\r",
        u"\n\r\nå\u0080", u"\0 och en rad ASCII bakom"s, longText + u"\U0010FFFF"};
    for (const auto& text : texts) {
        const auto expected = velmora::cryptText(text, u"Hemligt7");
        for (const bool raw : {false, true}) {
            const auto bytes = raw ? toRaw(text) : toUtf8(text);
            if (!bytes) continue;  // raw: only the texts of the code page
            for (const std::size_t chunk : {1u, 2u, 3u, 7u, 64u * 1024u}) {
                for (const std::size_t piece : {1u, 5u, 4096u}) {
                    PieceSource source(*bytes, piece);
                    StringSink sink;
                    const auto outcome =
                        cryptStream(source, sink, kPassword, {.raw = raw, .chunkBytes = chunk, .holdBytes = 1 << 20});
                    const std::string where =
                        std::to_string(chunk) + "/" + std::to_string(piece) + " raw " + std::to_string(raw);
                    if (const auto* error = std::get_if<velmora::CipherError>(&expected)) {
                        ASSERT_TRUE(outcome.failure) << where;
                        EXPECT_EQ(outcome.failure->status, ExitStatus::BadUsageOrInput);
                        EXPECT_EQ(outcome.failure->message, error->message()) << where;
                        EXPECT_EQ(sink.text, "");
                    } else {
                        ASSERT_FALSE(outcome.failure) << outcome.failure->message;
                        const auto& result = std::get<std::u16string>(expected);
                        EXPECT_EQ(sink.text, raw ? *toRaw(result) : toUtf8(result)) << where;
                    }
                }
            }
        }
    }
}

// UTF-8 as the reader sees it, cut at every place: each fault with the offset
// of its sequence, and the limits of each length through the cipher's refusal.
TEST(CryptStream, ReadsUtf8ExactlyWhereverThePiecesEnd) {
    // A table, laid out by hand.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"ab\x80", "fortsättningsbyte utan inledande byte vid byte 2"},
        {"\xC3\xA5\xBF", "fortsättningsbyte utan inledande byte vid byte 2"},
        {"\xC0\xAF", "överlång kodning vid byte 0"},           {"x\xC1\x81", "överlång kodning vid byte 1"},
        {"\xE0\x9F\xBF", "överlång kodning vid byte 0"},       {"\xE0\x8C*", "överlång kodning vid byte 0"},
        {"ok\xF0\x8F\xBF\xBF", "överlång kodning vid byte 2"}, {"\xED\xA0\x80", "U+DFFF) vid byte 0"},
        {"abc\xED\xBF\xBF", "U+DFFF) vid byte 3"},           {"\xF4\x90\x80\x80", "över U+10FFFF vid byte 0"},
        {"\xF5\x80\x80\x80", "över U+10FFFF vid byte 0"},     {"\xFF", "aldrig förekommer i UTF-8 vid byte 0"},
        {"a\xF8\x88\x80\x80\x80", "aldrig förekommer i UTF-8 vid byte 1"},
        {"\xC3", "ofullständig teckensekvens vid byte 0"},      {"\xE2\x82" "A", "ofullständig teckensekvens vid byte 0"},
        {"ab\xF0\x9F\x98", "ofullständig teckensekvens vid byte 2"},
        {"\xC3\xC3\xA5", "ofullständig teckensekvens vid byte 0"},
        {"0123456789\xE2" "0123456789", "ofullständig teckensekvens vid byte 10"},
        {"A\xC3\xA5\xE2\x82\xAC\xF0\x9F\x98\x80", "U+1F600 på rad 1, kolumn 4"},
        {"long ASCII run \xF4\x8F\xBF\xBF", "U+10FFFF på rad 1, kolumn 16"}, {"\x7F\xC2\x80", "U+0080 på rad 1, kolumn 2"},
        {"\xDF\xBF", "U+07FF"}, {"\xE0\xA0\x80", "U+0800"}, {"\xE1\x7F\x80", "ofullständig teckensekvens vid byte 0"}, {"\xED\x9F\xBF", "U+D7FF"}, {"\xEE\x80\x80", "U+E000"},
        {"\xEF\xBF\xBF", "U+FFFF"}, {"\xF0\x90\x80\x80", "U+10000"}, {"\xF1\x80\x80\x80", "U+40000"},
        {"\xEF\xBB\xBF\xEF\xBB\xBFx", "U+FEFF på rad 1, kolumn 1"}, {"a\xEF\xBB\xBF", "U+FEFF på rad 1, kolumn 2"},
    };
    // clang-format on
    for (const auto& [bytes, message] : cases) {
        for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
            PieceSource source(bytes, piece);
            StringSink sink;
            const auto outcome =
                cryptStream(source, sink, kPassword, {.raw = false, .chunkBytes = piece, .holdBytes = 100});
            ASSERT_TRUE(outcome.failure) << bytes;
            EXPECT_NE(outcome.failure->message.find(message), std::string::npos) << outcome.failure->message;
            EXPECT_EQ(sink.text, "");
        }
    }
}

}  // namespace

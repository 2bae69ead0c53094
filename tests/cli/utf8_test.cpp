#include "cp1252.h"
#include "utf8.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using velmora::utf8::Decoder;
using velmora::utf8::Fault;

struct Collector {
    std::u32string text;
    std::size_t stopAfter = SIZE_MAX;
    bool ascii(const std::uint8_t* bytes, std::size_t n) {
        text.append(bytes, bytes + n);
        return text.size() < stopAfter;
    }
    bool codePoint(char32_t ch) {
        text += ch;
        return text.size() < stopAfter;
    }
};

struct Decoded {
    std::u32string text;
    std::optional<velmora::utf8::Error> error;
};

// Decodes bytes fed in pieces that end at the given cut points.
Decoded decode(std::string_view bytes, std::vector<std::size_t> cuts = {}, bool skipBom = true) {
    Decoder decoder(skipBom);
    Collector sink;
    cuts.push_back(bytes.size());
    std::size_t from = 0;
    for (const std::size_t to : cuts) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (decoder.feed({data + from, to - from}, sink) == Decoder::Status::Invalid) return {sink.text, decoder.error()};
        from = to;
    }
    if (decoder.finish() == Decoder::Status::Invalid) return {sink.text, decoder.error()};
    return {sink.text, std::nullopt};
}

// Every way of cutting the input once, and byte by byte: the same result.
void expectSameWhereverCut(std::string_view bytes, bool skipBom = true) {
    const Decoded whole = decode(bytes, {}, skipBom);
    std::vector<std::size_t> everyByte;
    for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
        const Decoded split = decode(bytes, {cut}, skipBom);
        EXPECT_EQ(split.text, whole.text) << "cut at " << cut;
        EXPECT_EQ(split.error, whole.error) << "cut at " << cut;
        everyByte.push_back(cut);
    }
    const Decoded single = decode(bytes, everyByte, skipBom);
    EXPECT_EQ(single.text, whole.text);
    EXPECT_EQ(single.error, whole.error);
}

TEST(Utf8Decoder, DecodesEveryLengthAndItsLimits) {
    const std::string bytes = "A\xC3\xA5\xE2\x82\xAC\xF0\x9F\x98\x80"               // A å € 😀
                              "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF"      // U+007F U+0080 U+07FF U+0800 U+D7FF
                              "\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"  // U+E000 U+FFFF U+10000 U+10FFFF
                              "long ASCII run past eight bytes";
    const std::u32string expected = U"A\u00E5\u20AC\U0001F600\u007F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF"
                                    U"long ASCII run past eight bytes";
    const Decoded result = decode(bytes);
    EXPECT_FALSE(result.error);
    EXPECT_EQ(result.text, expected);
    expectSameWhereverCut(bytes);
    std::string again;
    velmora::utf8::append(result.text, again);
    EXPECT_EQ(again, bytes);
}

TEST(Utf8Decoder, ByteOrderMarkOnlyAtTheStartAndOnlyWhenAsked) {
    EXPECT_EQ(decode("\xEF\xBB\xBFhej").text, U"hej");
    EXPECT_EQ(decode("\xEF\xBB\xBFhej", {1, 2}).text, U"hej");
    EXPECT_EQ(decode("\xEF\xBB\xBF\xEF\xBB\xBFx").text, U"\uFEFFx");
    EXPECT_EQ(decode("a\xEF\xBB\xBF").text, U"a\uFEFF");
    EXPECT_EQ(decode("\xEF\xBB\xBFhej", {}, false).text, U"\uFEFFhej");
    expectSameWhereverCut("\xEF\xBB\xBF\xC3\xA5");
}

TEST(Utf8Decoder, EveryFaultWithTheOffsetOfItsSequence) {
    struct Case {
        std::string bytes;
        Fault fault;
        std::uint64_t offset;
    };
    const std::vector<Case> cases = {
        {"ab\x80", Fault::StrayContinuation, 2},
        {"\xC3\xA5\xBF", Fault::StrayContinuation, 2},
        {"\xC0\xAF", Fault::Overlong, 0},
        {"x\xC1\x81", Fault::Overlong, 1},
        {"\xE0\x9F\xBF", Fault::Overlong, 0},
        {"\xE0\x8C" "*", Fault::Overlong, 0},
        {"ok\xF0\x8F\xBF\xBF", Fault::Overlong, 2},
        {"\xED\xA0\x80", Fault::Surrogate, 0},
        {"abc\xED\xBF\xBF", Fault::Surrogate, 3},
        {"\xF4\x90\x80\x80", Fault::TooLarge, 0},
        {"\xF5\x80\x80\x80", Fault::TooLarge, 0},
        {"\xFF", Fault::InvalidByte, 0},
        {"a\xF8\x88\x80\x80\x80", Fault::InvalidByte, 1},
        {"\xC3", Fault::Truncated, 0},
        {"\xE2\x82", Fault::Truncated, 0},
        {"\xE2\x82" "A", Fault::Truncated, 0},
        {"ab\xF0\x9F\x98", Fault::Truncated, 2},
        {"\xC3\xC3\xA5", Fault::Truncated, 0},
        {"0123456789\xE2" "0123456789", Fault::Truncated, 10},
    };
    for (const Case& c : cases) {
        const Decoded result = decode(c.bytes);
        ASSERT_TRUE(result.error) << testing::PrintToString(c.bytes);
        EXPECT_EQ(result.error->fault, c.fault) << testing::PrintToString(c.bytes);
        EXPECT_EQ(result.error->offset, c.offset) << testing::PrintToString(c.bytes);
        expectSameWhereverCut(c.bytes);
    }
}

TEST(Utf8Decoder, SinkCanStopTheDecoding) {
    Decoder decoder;
    Collector sink{.text = {}, .stopAfter = 2};
    const std::string bytes = "a\xC3\xA5" "bc";
    EXPECT_EQ(decoder.feed({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, sink),
              Decoder::Status::Stopped);
    EXPECT_EQ(sink.text, U"a\u00E5");
}

TEST(Utf8Encoder, EveryCodeBecomesItsCharacter) {
    // Each code alone and all of them in one run (eight at a time plus a rest).
    std::vector<std::uint8_t> all;
    for (int round = 0; round < 2; ++round) {
        for (unsigned code = 0; code < 256; ++code) all.push_back(static_cast<std::uint8_t>(code));
    }
    all.insert(all.end(), {'t', 'a', 'i', 'l'});
    std::vector<std::uint8_t> out(3 * all.size());
    out.resize(velmora::utf8::encodeCodes(all, out.data()));
    const Decoded back = decode({reinterpret_cast<const char*>(out.data()), out.size()}, {}, false);
    ASSERT_FALSE(back.error);
    ASSERT_EQ(back.text.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(back.text[i], velmora::cp1252::toUnicode(all[i])) << i;
    }
    const auto single = [](std::uint8_t code) {
        std::vector<std::uint8_t> bytes(3);
        bytes.resize(velmora::utf8::encodeCodes({&code, 1}, bytes.data()));
        return std::string(bytes.begin(), bytes.end());
    };
    EXPECT_EQ(single('A'), "A");
    EXPECT_EQ(single(0xE5), "\xC3\xA5");
    EXPECT_EQ(single(0x80), "\xE2\x82\xAC");
    EXPECT_EQ(single(0x81), "\xC2\x81");
    EXPECT_EQ(single(0x9F), "\xC5\xB8");
}

} // namespace

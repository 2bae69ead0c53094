// The cipher: the published answers, the fast path against the literal
// algorithm, the round trip, the generator and the code page exhaustively,
// and every refusal with the place it names.
#include "cipher/cp1252.h"
#include "cipher/cpu_dispatch.h"
#include "cipher/rtc_random.h"
#include "cipher/text_cipher.h"

#include <gtest/gtest.h>

#include <iconv.h>
#include <map>
#include <random>

using namespace velmora;

namespace {

std::u16string fromCodes(const std::vector<int>& codes) {
    std::u16string text;
    for (int c : codes) text += cp1252::toUnicode(static_cast<std::uint8_t>(c));
    return text;
}

// A random text over all 255 non-zero codes with every kind of line end.
std::u16string randomText(std::mt19937& rng, std::size_t length) {
    std::uniform_int_distribution<int> code(1, 255), kind(0, 9);
    std::u16string text;
    while (text.size() < length) {
        const int k = kind(rng);
        text += k == 0 ? u"\r\n" : k == 1 ? u"\n" : k == 2 ? u"\r" : fromCodes({code(rng)});
    }
    text.resize(length);
    return text;
}

std::u16string ok(const CryptResult& result) {
    if (const auto* error = std::get_if<CipherError>(&result)) ADD_FAILURE() << "refused: " << error->message();
    return std::holds_alternative<std::u16string>(result) ? std::get<std::u16string>(result) : u"";
}

std::u16string reference(std::u16string_view text, std::u16string_view password) {
    RtcRandom random;
    random.next(-1.0f);
    return ok(cryptTextReference(random, text, password));
}

}  // namespace

TEST(TextCipher, KnownAnswersOfFastAndLiteralAlgorithm) {
    const std::vector<std::tuple<std::u16string, std::u16string, std::vector<int>>> answers = {
        {u"Hej då!\r\n", u"Hemligt7", {0x42, 0x27, 0x2C, 0xCE, 0x17, 0x3A, 0xA5, 0x7B, 0xEE}},
        {u"AAAAAAAA", u"ab", {0x4B, 0x02, 0x0C, 0x96, 0xFC, 0xC5, 0x0C, 0xEA}},
        {u"AAAAAAAA", u"ba", {0x4B, 0x72, 0x0C, 0x96, 0xFC, 0x9E, 0x0C, 0x93}},
        {u"A", u"\u20AC", {'K'}},  // the first key ignores the password
        {u"\n", u"pw", {'\n'}},    // a code equal to its key stays
    };
    for (const auto& [text, password, codes] : answers) {
        EXPECT_EQ(ok(cryptText(text, password)), fromCodes(codes));
        EXPECT_EQ(reference(text, password), fromCodes(codes));
    }
    // A password of "å" (229) skips 229 draws between keys.
    RtcRandom random;
    random.next(-1.0f);
    for (int i = 0; i < 231; ++i) random.next();
    EXPECT_EQ(ok(cryptText(u"AA", u"å"))[1], fromCodes({0x41 ^ RtcRandom::keyOf(random.state())})[0]);
}

TEST(TextCipher, FastPathEqualsTheLiteralAlgorithmAndRoundTrips) {
    // Every kernel version the processor runs, each against the literal algorithm.
    for (const cpu::Level level : cpu::availableLevels()) {
        ASSERT_TRUE(cpu::useLevel(level));
        SCOPED_TRACE("level " + std::to_string(int(level)));
        std::mt19937 rng(20261206);
        std::uniform_int_distribution<int> code(1, 255);
        for (std::size_t passwordLength : {1u, 2u, 7u, 13u, 300u, 2049u}) {
            for (std::size_t textLength : {0u, 1u, 5u, 2047u, 2048u, 2049u, 9000u}) {
                std::vector<int> codes(passwordLength);
                for (int& c : codes) c = code(rng);
                const std::u16string password = fromCodes(codes), text = randomText(rng, textLength);
                RtcRandom fast, ref;
                fast.setState(static_cast<std::uint32_t>(rng()));
                ref.setState(fast.state());
                const std::u16string out = ok(cryptText(fast, text, password));
                ASSERT_EQ(out, ok(cryptTextReference(ref, text, password))) << passwordLength << "/" << textLength;
                EXPECT_EQ(fast.state(), ref.state()) << passwordLength << "/" << textLength;
                const std::u16string cipher = ok(cryptText(text, password));
                EXPECT_EQ(cipher.find(u'\0'), std::u16string::npos);
                EXPECT_EQ(ok(cryptText(cipher, password)), text);
                EXPECT_TRUE(textLength < 100 || cipher != text);
            }
        }
    }
    cpu::useLevel(cpu::availableLevels().back());
}

TEST(RtcRandom, EveryStateHasItsExactKeyAndThePeriodIsFull) {
    std::uint32_t s = 0, steps = 0;
    do {
        const double r = static_cast<double>(RtcRandom::valueOf(s));
        ASSERT_EQ(RtcRandom::keyOf(s), static_cast<int>(r * 255.0) + 1) << s;
        s = RtcRandom::step(s);
    } while (s != 0 && ++steps <= 0x1000000u);
    EXPECT_EQ(steps, 0xFFFFFFu);
}

TEST(Cp1252, EveryCodePointLooksUpAsTheCodePageSays) {
    std::map<char32_t, int> inverse;
    for (int code = 0; code < 256; ++code) inverse[cp1252::toUnicode(static_cast<std::uint8_t>(code))] = code;
    EXPECT_EQ(inverse.size(), 256u);
    for (char32_t ch = 0; ch <= 0x110000; ++ch) {
        const auto found = inverse.find(ch);
        const auto expected = found == inverse.end() ? std::nullopt : std::optional<std::uint8_t>(found->second);
        ASSERT_EQ(cp1252::fromUnicode(ch), expected) << std::hex << static_cast<std::uint32_t>(ch);
    }
    // Every code against the C library's own table; the five codes it leaves
    // undefined stand for the control characters of the same number.
    const iconv_t toUtf32 = ::iconv_open("UTF-32LE", "CP1252");
    ASSERT_NE(toUtf32, reinterpret_cast<iconv_t>(-1));
    for (int code = 0; code < 256; ++code) {
        char in = static_cast<char>(code), *inAt = &in;
        char32_t out = 0;
        char* outAt = reinterpret_cast<char*>(&out);
        std::size_t inLeft = 1, outLeft = sizeof out;
        const bool defined = ::iconv(toUtf32, &inAt, &inLeft, &outAt, &outLeft) != static_cast<std::size_t>(-1);
        EXPECT_EQ(cp1252::toUnicode(static_cast<std::uint8_t>(code)), defined ? out : static_cast<char32_t>(code))
            << code;
    }
    ::iconv_close(toUtf32);
}

TEST(TextCipher, RefusalsNameTheFirstOffenceAndItsPlace) {
    struct Refusal {
        std::u16string text, password;
        CipherError::Kind kind;
        char32_t character;
        std::size_t offset, line, column;
    };
    using K = CipherError::Kind;
    const Refusal refusals[] = {
        {u"text", u"", K::EmptyPassword, 0, 0, 0, 0},
        {u"rad ett\r\nrad två \u0141\u0100\nslut", u"pw", K::UnmappableInText, 0x141, 17, 2, 9},
        {u"a\r\rb\n\r\nc\u0080", u"pw", K::UnmappableInText, 0x80, 8, 5, 2},
        {u"x\U0001F600b\u0100", u"pw", K::UnmappableInText, 0x1F600, 1, 1, 2},
        {u"ab\U00010000", u"pw", K::UnmappableInText, 0x10000, 2, 1, 3},
        {u"ab\u0100", u"ok\u0100", K::UnmappableInPassword, 0x100, 2, 1, 3},
        {std::u16string(u"ab\0c", 4), u"pw", K::NulInText, 0, 2, 1, 3},
        {u"abc", std::u16string(u"p\0", 2), K::NulInPassword, 0, 1, 1, 2},
    };
    for (const Refusal& r : refusals) {
        const CipherError expected{r.kind, r.character, r.offset, r.line, r.column};
        RtcRandom random;
        EXPECT_EQ(std::get<CipherError>(cryptText(random, r.text, r.password)), expected) << expected.message();
        EXPECT_EQ(std::get<CipherError>(cryptTextReference(random, r.text, r.password)), expected);
        EXPECT_EQ(checkCipherInput(r.text, r.password), expected);
        EXPECT_EQ(random.state(), RtcRandom::kInitialState);
    }
    EXPECT_EQ(std::get<CipherError>(cryptText(u"", u"")).message(), "Lösenordet är tomt.");
}

TEST(TextCipher, BadCharactersAtTheEdgesOfTheFastPathsPieces) {
    for (std::size_t at : {0u, 31u, 32u, 33u, 8191u, 8192u, 8193u, 9999u}) {
        for (char16_t bad : {u'\0', u'\u0080', u'\u009F', u'\u0100', u'\u01FF', u'\uFFFF', char16_t{0xDC00}}) {
            std::u16string text(10000, u'x');
            text[at] = bad;
            const auto error = std::get<CipherError>(cryptText(text, u"pw"));
            EXPECT_EQ(error.offset, at) << std::hex << static_cast<unsigned>(bad) << " at " << std::dec << at;
            EXPECT_EQ(error.kind, bad == 0 ? CipherError::Kind::NulInText : CipherError::Kind::UnmappableInText);
        }
    }
}

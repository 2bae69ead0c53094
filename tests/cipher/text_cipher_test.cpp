#include "text_cipher.h"

#include "blanks.h"
#include "cipher_test_support.h"
#include "rtc_random.h"

#include <gtest/gtest.h>

#include <random>

using namespace velmora;
using velmora::test_support::fromCodes;
using velmora::test_support::randomText;
using velmora::test_support::toCodes;

namespace {

std::u16string ok(const CryptResult& result) {
    if (const auto* error = std::get_if<CipherError>(&result)) {
        ADD_FAILURE() << "refused: " << error->message();
        return {};
    }
    return std::get<std::u16string>(result);
}

CipherError refused(const CryptResult& result) {
    if (const auto* error = std::get_if<CipherError>(&result)) return *error;
    ADD_FAILURE() << "not refused";
    return {};
}

std::u16string reference(std::u16string_view text, std::u16string_view password) {
    RtcRandom random;
    random.next(-1.0f);
    return ok(cryptTextReference(random, text, password));
}

} // namespace

TEST(TextCipherKnownAnswers, PublishedVectors) {
    const std::vector<int> hej = {0x42, 0x27, 0x2C, 0xCE, 0x17, 0x3A, 0xA5, 0x7B, 0xEE};
    EXPECT_EQ(toCodes(ok(cryptText(u"Hej då!\r\n", u"Hemligt7"))), hej);
    EXPECT_EQ(toCodes(reference(u"Hej då!\r\n", u"Hemligt7")), hej);

    const std::vector<int> ab = {0x4B, 0x02, 0x0C, 0x96, 0xFC, 0xC5, 0x0C, 0xEA};
    const std::vector<int> ba = {0x4B, 0x72, 0x0C, 0x96, 0xFC, 0x9E, 0x0C, 0x93};
    EXPECT_EQ(toCodes(ok(cryptText(u"AAAAAAAA", u"ab"))), ab);
    EXPECT_EQ(toCodes(reference(u"AAAAAAAA", u"ab")), ab);
    EXPECT_EQ(toCodes(ok(cryptText(u"AAAAAAAA", u"ba"))), ba);
    EXPECT_EQ(toCodes(reference(u"AAAAAAAA", u"ba")), ba);
}

TEST(TextCipherKnownAnswers, FirstCharacterIgnoresThePassword) {
    // The first key is the first draw after the restart: key 10, 'A' ^ 10 = 'K'.
    for (std::u16string_view password : {u"a", u"Hemligt7", u"ååå", u"x y", u"\u20AC"}) {
        EXPECT_EQ(ok(cryptText(u"A", password)), u"K");
        EXPECT_EQ(reference(u"A", password), u"K");
    }
}

TEST(TextCipherKnownAnswers, CharacterEqualToItsKeyPassesUnchanged) {
    // Key 10 for the first character: code 10 (LF) equals it and stays.
    EXPECT_EQ(ok(cryptText(u"\n", u"pw")), u"\n");
    EXPECT_EQ(ok(cryptText(u"\n", u"pw")), reference(u"\n", u"pw"));
}

TEST(TextCipherKnownAnswers, EmptyTextGivesEmptyResult) {
    EXPECT_EQ(ok(cryptText(u"", u"pw")), u"");
    RtcRandom fast, ref;
    fast.next(-1.0f);
    ref.next(-1.0f);
    ok(cryptText(fast, u"", u"pw"));
    ok(cryptTextReference(ref, u"", u"pw"));
    // One key draw happened even so.
    EXPECT_EQ(fast.state(), 601393u);
    EXPECT_EQ(ref.state(), 601393u);
}

TEST(TextCipherAgreement, FastPathEqualsReferenceOnRandomInput) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> passwordCode(1, 255);
    const std::size_t passwordLengths[] = {1, 2, 3, 7, 8, 13, 64, 300, 2049};
    const std::size_t textLengths[] = {0, 1, 2, 5, 100, 2047, 2048, 2049, 9000};
    for (std::size_t pl : passwordLengths) {
        for (std::size_t tl : textLengths) {
            std::u16string password;
            for (std::size_t i = 0; i < pl; ++i) password += cp1252::toUnicode(static_cast<std::uint8_t>(passwordCode(rng)));
            const std::u16string text = randomText(rng, tl);

            RtcRandom fast, ref;
            fast.next(-1.0f);
            ref.next(-1.0f);
            const auto fastOut = ok(cryptText(fast, text, password));
            const auto refOut = ok(cryptTextReference(ref, text, password));
            ASSERT_EQ(fastOut, refOut) << "password length " << pl << ", text length " << tl;
            // The generator is left exactly where the literal algorithm leaves it.
            EXPECT_EQ(fast.state(), ref.state()) << "password length " << pl << ", text length " << tl;
        }
    }
}

TEST(TextCipherAgreement, AgreesFromAnyGeneratorState) {
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        RtcRandom fast, ref;
        const auto state = static_cast<std::uint32_t>(rng()) & RtcRandom::kMask;
        fast.setState(state);
        ref.setState(state);
        const auto text = randomText(rng, 500);
        EXPECT_EQ(ok(cryptText(fast, text, u"Ab\u00E5 9")), ok(cryptTextReference(ref, text, u"Ab\u00E5 9")));
        EXPECT_EQ(fast.state(), ref.state());
    }
}

TEST(TextCipherProperties, RoundTripGivesTheTextBack) {
    std::mt19937 rng(42);
    for (std::u16string_view password : {u"x", u"Hemligt7", u"lösenord med blanksteg", u"\u20AC\u00FF\u0081"}) {
        for (std::size_t length : {1u, 17u, 4096u, 20000u}) {
            const auto text = randomText(rng, length);
            const auto cipher = ok(cryptText(text, password));
            EXPECT_EQ(cipher.size(), text.size());
            EXPECT_EQ(cipher.find(u'\0'), std::u16string::npos);
            EXPECT_EQ(ok(cryptText(cipher, password)), text);
        }
    }
}

TEST(TextCipherProperties, EveryCodeSurvivesTheRoundTrip) {
    std::vector<int> all;
    for (int c = 1; c < 256; ++c) all.push_back(c);
    const auto text = fromCodes(all);
    const auto cipher = ok(cryptText(text, u"a"));
    EXPECT_NE(cipher, text);
    EXPECT_EQ(ok(cryptText(cipher, u"a")), text);
}

TEST(TextCipherProperties, PasswordOrderAndBlanksMatter) {
    const std::u16string text(64, u'e');
    EXPECT_NE(ok(cryptText(text, u"ab")), ok(cryptText(text, u"ba")));
    EXPECT_NE(ok(cryptText(text, u"a b")), ok(cryptText(text, u"ab")));
    // The caller trims; the cipher keeps blanks it is given.
    EXPECT_NE(ok(cryptText(text, u" ab")), ok(cryptText(text, u"ab")));
    EXPECT_EQ(ok(cryptText(text, trimBlanks(u"  ab "))), ok(cryptText(text, u"ab")));
}

TEST(TextCipherProperties, HighCodePasswordSkipsThatManyDraws) {
    // With a one-character password "å" (229) the second key is 230 draws
    // after the first.
    RtcRandom random;
    random.next(-1.0f);
    random.next();  // first key
    for (int i = 0; i < 229; ++i) random.next();
    const int secondKey = RtcRandom::keyOf(RtcRandom::step(random.state()));
    const auto out = ok(cryptText(u"AA", u"å"));
    EXPECT_EQ(out[0], u'K');
    const int expected = (0x41 ^ secondKey) != 0 ? (0x41 ^ secondKey) : 0x41;
    EXPECT_EQ(out[1], cp1252::toUnicode(static_cast<std::uint8_t>(expected)));
}

TEST(TextCipherRefusals, EmptyPassword) {
    EXPECT_EQ(refused(cryptText(u"text", u"")).kind, CipherError::Kind::EmptyPassword);
    RtcRandom random;
    EXPECT_EQ(refused(cryptTextReference(random, u"text", u"")).kind, CipherError::Kind::EmptyPassword);
    EXPECT_EQ(refused(cryptText(u"text", u"")).message(), "Lösenordet är tomt.");
}

TEST(TextCipherRefusals, FirstOffendingTextCharacterWithItsPosition) {
    const std::u16string text = u"rad ett\r\nrad två \u0141\u0100\nslut";
    const auto error = refused(cryptText(text, u"pw"));
    EXPECT_EQ(error.kind, CipherError::Kind::UnmappableInText);
    EXPECT_EQ(error.character, U'\u0141');
    EXPECT_EQ(error.offset, 17u);
    EXPECT_EQ(error.line, 2u);
    EXPECT_EQ(error.column, 9u);
    EXPECT_EQ(error.message(),
              "Texten innehåller tecknet U+0141 på rad 2, kolumn 9, som inte finns i "
              "teckentabellen Windows-1252 och inte kan krypteras.");
}

TEST(TextCipherRefusals, OffenceFarIntoALongText) {
    std::u16string text(20000, u'a');
    text[12345] = u'\n';
    text[15000] = u'\u3042';
    const auto error = refused(cryptText(text, u"pw"));
    EXPECT_EQ(error.offset, 15000u);
    EXPECT_EQ(error.line, 2u);
    EXPECT_EQ(error.column, 15000u - 12345u);
    RtcRandom random;
    EXPECT_EQ(refused(cryptTextReference(random, text, u"pw")), error);
    EXPECT_EQ(checkCipherInput(text, u"pw"), error);
}

TEST(TextCipherRefusals, NulAndAstralCharacters) {
    const auto nul = refused(cryptText(std::u16string(u"ab\0c", 4), u"pw"));
    EXPECT_EQ(nul.kind, CipherError::Kind::NulInText);
    EXPECT_EQ(nul.column, 3u);
    EXPECT_NE(nul.message().find("U+0000"), std::string::npos);

    const auto astral = refused(cryptText(u"x\U0001F600", u"pw"));
    EXPECT_EQ(astral.character, U'\U0001F600');
    EXPECT_NE(astral.message().find("U+1F600"), std::string::npos);
}

TEST(TextCipherRefusals, PasswordIsCheckedFirst) {
    const auto error = refused(cryptText(u"\u0100", u"ok\u0100"));
    EXPECT_EQ(error.kind, CipherError::Kind::UnmappableInPassword);
    EXPECT_EQ(error.column, 3u);
    EXPECT_EQ(refused(cryptText(u"abc", std::u16string(u"p\0", 2))).kind, CipherError::Kind::NulInPassword);
}

TEST(TextCipherRefusals, RefusalLeavesTheGeneratorAlone) {
    RtcRandom random;
    random.next(-1.0f);
    const auto before = random.state();
    refused(cryptText(random, u"ok \u0100", u"pw"));
    EXPECT_EQ(random.state(), before);
    refused(cryptTextReference(random, u"ok \u0100", u"pw"));
    EXPECT_EQ(random.state(), before);
}

TEST(TextCipherRefusals, BoundaryCharactersAnywhereInTheText) {
    // Characters at the edges of the plain range, at the edges of the
    // pieces the fast path works in.
    const std::size_t positions[] = {0, 31, 32, 33, 8191, 8192, 8193, 9999};
    for (std::size_t at : positions) {
        for (char16_t bad : {char16_t{0x0000}, char16_t{0x0080}, char16_t{0x009F}, char16_t{0x0100},
                             char16_t{0x00FF + 0x100}, char16_t{0xFFFF}, char16_t{0xDC00}}) {
            std::u16string text(10000, u'x');
            text[at] = bad;
            const auto error = refused(cryptText(text, u"pw"));
            EXPECT_EQ(error.offset, at) << std::hex << static_cast<unsigned>(bad) << " at " << std::dec << at;
            EXPECT_EQ(error.kind, bad == 0 ? CipherError::Kind::NulInText : CipherError::Kind::UnmappableInText);
        }
        for (char16_t good : {char16_t{0x0001}, char16_t{0x007F}, char16_t{0x00A0}, char16_t{0x00FF},
                              char16_t{0x20AC}, char16_t{0x0178}}) {
            std::u16string text(10000, u'x');
            text[at] = good;
            EXPECT_EQ(ok(cryptText(text, u"pw")), reference(text, u"pw"));
        }
    }
}

#include "key_stream.h"

#include "rtc_random.h"
#include "text_cipher.h"
#include "cipher_test_support.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

using namespace velmora;

TEST(KeyStream, PiecesOfAnySizeGiveTheSameStream) {
    const std::vector<std::uint8_t> password = {'H', 'e', 'm', 0xE5};
    std::vector<std::uint8_t> whole(50000);
    std::iota(whole.begin(), whole.end(), 0);
    for (auto& c : whole) c = static_cast<std::uint8_t>(c | 1);

    auto once = whole;
    KeyStream(password).apply(once);

    std::mt19937 rng(3);
    std::uniform_int_distribution<std::size_t> pieceSize(0, 5000);
    auto pieces = whole;
    KeyStream stream(password);
    for (std::size_t at = 0; at < pieces.size();) {
        const std::size_t n = std::min(pieceSize(rng), pieces.size() - at);
        stream.apply(std::span(pieces.data() + at, n));
        at += n;
    }
    EXPECT_EQ(pieces, once);
}

TEST(KeyStream, MatchesTheTextCipher) {
    std::mt19937 rng(11);
    const auto text = test_support::randomText(rng, 7000);
    std::vector<std::uint8_t> codes;
    for (char16_t c : text) codes.push_back(*cp1252::fromUnicode(c));
    const std::vector<std::uint8_t> password = {'z', 'y', 'x'};
    KeyStream(password).apply(codes);
    const auto expected = std::get<std::u16string>(cryptText(text, u"zyx"));
    ASSERT_EQ(codes.size(), expected.size());
    for (std::size_t i = 0; i < codes.size(); ++i) ASSERT_EQ(cp1252::toUnicode(codes[i]), expected[i]) << i;
}

TEST(KeyStream, ZeroCodeInThePasswordSkipsNothing) {
    // A zero skip makes consecutive keys consecutive draws.
    const std::vector<std::uint8_t> password = {0};
    std::vector<std::uint8_t> codes(4, 0xFF);
    KeyStream(password).apply(codes);
    RtcRandom random;
    random.next(-1.0f);
    for (auto c : codes) {
        random.next();
        EXPECT_EQ(c, 0xFF ^ RtcRandom::keyOf(random.state()));
    }
}

TEST(KeyStream, ReportsTheGeneratorStateAfterEachPiece) {
    const std::vector<std::uint8_t> password = {'a', 'b'};
    KeyStream stream(password);
    RtcRandom random;
    random.next(-1.0f);
    random.next();
    EXPECT_EQ(stream.generatorState(), random.state());
    std::vector<std::uint8_t> codes(5000, 'q');
    stream.apply(codes);
    RtcRandom ref;
    ref.next(-1.0f);
    cryptTextReference(ref, std::u16string(5000, u'q'), u"ab");
    EXPECT_EQ(stream.generatorState(), ref.state());
}

TEST(KeyStream, RefusesAnEmptyPassword) {
    EXPECT_THROW(KeyStream(std::span<const std::uint8_t>{}), std::invalid_argument);
}

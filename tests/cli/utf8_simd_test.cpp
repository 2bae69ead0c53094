#include "cipher/cp1252.h"
#include "cipher/cpu_dispatch.h"
#include "cli/line_position.h"
#include "cli/utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace velmora::utf8;
using namespace velmora::cpu;

// Codes of decoded characters as the tool collects them; stops at NUL and at
// characters the code page lacks. With Run, vector runs come first.
struct PlainCodes {
    std::vector<std::uint8_t> codes;
    bool ascii(const std::uint8_t* bytes, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            if (!codePoint(bytes[i])) return false;
        return true;
    }
    bool codePoint(char32_t ch) {
        const auto code = velmora::cp1252::fromUnicode(ch).value_or(0);
        return code != 0 && (codes.push_back(code), true);
    }
};
struct RunCodes : PlainCodes {
    std::size_t run(const std::uint8_t* bytes, std::size_t n) {
        const std::size_t before = codes.size();
        codes.resize(before + n + 64, 0xEE);  // guard bytes behind the room allowed
        const Latin1Run taken = decodeLatin1Run(bytes, n, codes.data() + before);
        for (std::size_t i = before + n; i < codes.size(); ++i) EXPECT_EQ(codes[i], 0xEE) << "wrote past the room";
        codes.resize(before + taken.written);
        return taken.consumed;
    }
};

template <class Sink>
std::string decodeCut(const std::string& bytes, std::size_t cut) {
    Decoder decoder;
    Sink sink;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    auto status = decoder.feed({data, cut}, sink);
    if (status == Decoder::Status::Ok) status = decoder.feed({data + cut, bytes.size() - cut}, sink);
    if (status == Decoder::Status::Ok) status = decoder.finish();
    return std::string(sink.codes.begin(), sink.codes.end()) + " status " + std::to_string(static_cast<int>(status)) +
           " fault " + std::to_string(static_cast<int>(decoder.error().fault)) + "@" +
           std::to_string(decoder.error().offset);
}

// Adversarial texts: every lead byte before every kind of second byte at every
// place of a 32-byte block and alone before ASCII, truncations, runs of € among
// ASCII, and random mixes.
std::vector<std::string> hardTexts() {
    std::vector<std::string> texts;
    const std::string ascii = "Hej, vi ses imorgon vid mötet klockan tio. ";
    for (unsigned lead = 0; lead < 256; ++lead) {
        for (const unsigned second : {0x00u, 0x41u, 0x80u, 0x9Fu, 0xA0u, 0xBFu, 0xC3u}) {
            const std::size_t at = (lead * 7 + second) % 40;
            texts.push_back(ascii.substr(0, at) + char(lead) + char(second) + "\xB6" + ascii);
        }
        texts.push_back(char(lead) + std::string(40, 'a'));  // alone at a block's start
    }
    const std::string mixed = "aé€b\xC2\xA0中😀ÿ\r\nÅÄÖ åäö ×÷ 1250€€€ \uFEFFx";
    for (std::size_t end = 0; end <= mixed.size(); ++end) texts.push_back(ascii + mixed.substr(0, end));
    texts.push_back(ascii + "\uFEFF");  // not a byte order mark there
    for (std::size_t gap = 0; gap < 40; ++gap)
        texts.push_back(std::string(gap, 'x') + "€" + std::string(gap % 7, 'y') + "€€" + ascii);
    std::mt19937 random(7);
    const std::string alphabet =
        "ab\r\n\xC2\xC3\xC3\xE2\x82\xAC\x80\x9F\xA0\xBF\xED\xF0\x9F\x98\x80" + std::string(1, '\0');
    for (int i = 0; i < 300; ++i) {
        std::string text(random() % 200, ' ');
        for (char& c : text) c = random() % 3 == 0 ? char(random() % 256) : alphabet[random() % alphabet.size()];
        texts.push_back(text);
    }
    return texts;
}

TEST(Utf8Variants, DecodeAsTheScalarDecoderWhereverThePiecesAreCut) {
    const auto texts = hardTexts();
    for (const Level level : availableLevels()) {
        ASSERT_TRUE(useLevel(level));
        for (const std::string& text : texts) {
            const std::string expected = decodeCut<PlainCodes>(text, 0);
            for (std::size_t cut = 0; cut <= text.size(); cut += text.size() > 90 ? 7u : 1u)
                ASSERT_EQ(decodeCut<RunCodes>(text, cut), expected) << "level " << int(level) << ", cut " << cut;
        }
    }
    useLevel(availableLevels().back());
}

TEST(Utf8Variants, EncodeAsTheScalarEncoder) {
    std::mt19937 random(3);
    std::vector<std::vector<std::uint8_t>> inputs;
    for (std::size_t size = 0; size < 300; ++size) {
        inputs.emplace_back(size % 80, 0x80);  // € only: three bytes each
        inputs.emplace_back(size);
        for (auto& c : inputs.back()) c = static_cast<std::uint8_t>(random() % 4 == 0 ? 'a' : random());
    }
    for (unsigned code = 0; code < 256 * 40; code += 3) {  // every code at many places among é
        inputs.emplace_back(40, static_cast<std::uint8_t>(0xE9));
        inputs.back()[code % 40] = static_cast<std::uint8_t>(code / 40);
    }
    for (const auto& codes : inputs) {
        std::string expected;
        for (const std::uint8_t c : codes) append(std::u32string(1, velmora::cp1252::toUnicode(c)), expected);
        for (const Level level : availableLevels()) {
            std::vector<std::uint8_t> out(3 * codes.size() + 64, 0xEE);
            useLevel(level);
            const std::size_t written = encodeCodes(codes, out.data());
            EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<long>(written)), expected) << int(level);
            EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + static_cast<long>(3 * codes.size()), out.end()),
                      std::vector<std::uint8_t>(64, 0xEE))
                << "wrote past the room, level " << int(level);
        }
    }
    useLevel(availableLevels().back());
}

// Line ends counted in vector runs against a count character by character.
TEST(LinePosition, CountsLinesAndColumnsInAnyPieces) {
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        useLevel(availableLevels()[static_cast<std::size_t>(round) % availableLevels().size()]);
        // Dense line ends in odd rounds, long lines in even ones; every tenth round, one piece of lone \n longer
        // than the 255 vectors the vector loop counts before it must sum.
        const bool flood = round % 10 == 9;
        std::string text = flood ? std::string(4200, '\n') : "";
        while (text.size() < 700)
            text += round % 2 ? std::string(1, "\r\nab"[random() % 4]) : random() % 40 ? "a" : "\r\n";
        const std::vector<std::uint8_t> codes(text.begin(), text.end());
        velmora::cli::LinePosition position;
        for (std::size_t from = 0, to = 0; from < codes.size(); from = to) {
            to = std::min(codes.size(), from + (flood ? codes.size() : random() % 90));
            position.advance({codes.data() + from, to - from});
        }
        std::size_t line = 1, column = 1;
        for (std::size_t i = 0; i < codes.size(); ++i) {
            const bool end = codes[i] == '\r' || (codes[i] == '\n' && (i == 0 || codes[i - 1] != '\r'));
            line += end;
            column = end || codes[i] == '\n' ? 1 : column + 1;
        }
        EXPECT_EQ(position.line(), line);
        EXPECT_EQ(position.column(), column);
    }
    useLevel(availableLevels().back());
}

}  // namespace

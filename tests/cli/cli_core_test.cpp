#include "command_line.h"
#include "crypt_stream.h"
#include "line_position.h"
#include "password_source.h"
#include "text_cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace velmora::cli;
using namespace std::string_literals;

// Source that hands out its bytes in pieces of a fixed size.
class PieceSource final : public ByteSource {
public:
    PieceSource(std::string data, std::size_t piece, int failWith = 0) : data_(std::move(data)), piece_(piece), failWith_(failWith) {}
    Result read(std::span<std::uint8_t> buffer) override {
        if (at_ == data_.size() && failWith_ != 0) return {0, failWith_};
        const std::size_t n = std::min({piece_, buffer.size(), data_.size() - at_});
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(at_), n, buffer.begin());
        at_ += n;
        return {n, 0};
    }

private:
    std::string data_;
    std::size_t piece_;
    int failWith_;
    std::size_t at_ = 0;
};

class StringSink final : public ByteSink {
public:
    explicit StringSink(int failWith = 0) : failWith_(failWith) {}
    int write(std::span<const std::uint8_t> bytes) override {
        text.append(bytes.begin(), bytes.end());
        return failWith_;
    }
    std::string text;

private:
    int failWith_;
};

// UTF-8 of a text whose surrogate pairs, if any, come only at the end.
std::string toUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        const int extra = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        out += static_cast<char>(extra == 0 ? c : ((0xFF00u >> (extra + 1)) & 0xFF) | (c >> (6 * extra)));
        for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return out;
}

const std::vector<std::uint8_t> kPassword = {'H', 'e', 'm', 'l', 'i', 'g', 't', '7'};

// The streaming run against the cipher's own one-piece function, for
// texts that pass and texts it refuses, however the input is cut.
TEST(CryptStream, AgreesWithTheWholeTextCipherHoweverCut) {
    std::u16string long_text;
    for (int i = 0; long_text.size() < 3000; ++i) long_text += u"Hej då, € och œ\tflik\r\nrad\rny\n" + std::u16string(static_cast<std::size_t>(i % 7), u'x');
    const std::vector<std::u16string> texts = {
        long_text,
        u"ett\r\ntvå\r\n\rtre 中",
        u"a\r\n\n\r\rb\tc\u0000",
        u"rad\r",
        u"\n\r\nå\u20AD",
        long_text + u"\U0001F600",
    };
    for (const auto& text : texts) {
        const auto expected = velmora::cryptText(text, u"Hemligt7");
        for (const std::size_t chunk : {1u, 2u, 3u, 7u, 64u * 1024u}) {
            for (const std::size_t piece : {1u, 5u, 4096u}) {
                PieceSource source(toUtf8(text), piece);
                StringSink sink;
                const StreamOutcome outcome = cryptStream(source, sink, kPassword, {.raw = false, .chunkBytes = chunk, .holdBytes = 1 << 20});
                if (const auto* error = std::get_if<velmora::CipherError>(&expected)) {
                    ASSERT_TRUE(outcome.failure) << chunk << "/" << piece;
                    EXPECT_EQ(outcome.failure->status, ExitStatus::BadUsageOrInput);
                    EXPECT_EQ(outcome.failure->message, error->message()) << chunk << "/" << piece;
                    EXPECT_EQ(sink.text, "");
                } else {
                    ASSERT_FALSE(outcome.failure) << outcome.failure->message;
                    EXPECT_EQ(sink.text, toUtf8(std::get<std::u16string>(expected))) << chunk << "/" << piece;
                }
            }
        }
    }
}

TEST(CryptStream, InvalidUtf8IsReportedAtItsStreamOffset) {
    for (const std::size_t chunk : {1u, 4u, 100u}) {
        PieceSource source("abcdef\xE2\x82" "x", 3);
        StringSink sink;
        const auto outcome = cryptStream(source, sink, kPassword, {.raw = false, .chunkBytes = chunk, .holdBytes = 100});
        ASSERT_TRUE(outcome.failure);
        EXPECT_NE(outcome.failure->message.find("vid byte 6 "), std::string::npos) << outcome.failure->message;
    }
}

TEST(CryptStream, HoldsOutputBackUpToItsLimitAndReportsFailedInputOutput) {
    const std::string text = std::string(100, 'a') + "\xE4\xB8\xAD";
    for (const std::size_t hold : {16u, 1000u}) {
        PieceSource source(text, 10);
        StringSink sink;
        const auto outcome = cryptStream(source, sink, kPassword, {.raw = false, .chunkBytes = 8, .holdBytes = hold});
        ASSERT_TRUE(outcome.failure);
        EXPECT_EQ(outcome.bytesWritten, sink.text.size());
        EXPECT_EQ(sink.text.empty(), hold == 1000u);
    }
    PieceSource failingRead("abc", 2, EIO);
    StringSink sink;
    EXPECT_EQ(cryptStream(failingRead, sink, kPassword, {}).failure->status, ExitStatus::IoFailure);
    PieceSource source("abc", 2);
    StringSink failingWrite(ENOSPC);
    EXPECT_EQ(cryptStream(source, failingWrite, kPassword, {}).failure->status, ExitStatus::IoFailure);
}

TEST(LinePosition, LineEndsSplitAcrossPieces) {
    const std::string text = "ab\r\ncd\re\n\nf";   // lines: ab | cd | e | (empty) | f
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        LinePosition position;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        position.advance({bytes, cut});
        position.advance({bytes + cut, text.size() - cut});
        EXPECT_EQ(position.line(), 5u) << cut;
        EXPECT_EQ(position.column(), 2u) << cut;
    }
}

// A pipe holding the given bytes, its writing end closed.
int pipeWith(const std::string& bytes) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    ::fcntl(fds[1], F_SETPIPE_SZ, 256 * 1024);
    EXPECT_EQ(::write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fds[1]);
    return fds[0];
}

TEST(PasswordLine, FirstLineWithoutItsEndAndNothingMore) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"hemligt\nresten", "hemligt"}, {"hemligt\r\n", "hemligt"}, {"utan radslut", "utan radslut"},
        {"", ""}, {"\n", ""}, {"cr\r", "cr\r"}, {"a\rb\n", "a\rb"},
    };
    for (const auto& [bytes, line] : cases) {
        const int fd = pipeWith(bytes);
        const auto read = readFirstLine(fd, "test");
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << bytes;
        EXPECT_EQ(std::get<std::string>(read), line);
        char rest[32];
        const ssize_t n = ::read(fd, rest, sizeof rest);
        EXPECT_EQ(std::string(rest, static_cast<std::size_t>(std::max<ssize_t>(n, 0))), bytes == "hemligt\nresten" ? "resten" : "");
        ::close(fd);
    }
    const int tooLong = pipeWith(std::string(kMaxPasswordLineBytes + 1, 'x'));
    EXPECT_EQ(std::get<Failure>(readFirstLine(tooLong, "test")).status, ExitStatus::BadUsageOrInput);
    ::close(tooLong);
    EXPECT_EQ(std::get<Failure>(readFirstLine(57, "test")).status, ExitStatus::BadUsageOrInput);
}

TEST(PasswordLine, CodesAfterTrimmingOrWhyNot) {
    using Codes = std::vector<std::uint8_t>;
    EXPECT_EQ(std::get<Codes>(passwordCodes("  a b  ", "t")), (Codes{'a', ' ', 'b'}));
    EXPECT_EQ(std::get<Codes>(passwordCodes("\xEF\xBB\xBFp\xC3\xA5\xE2\x82\xAC", "t")), (Codes{'p', 0xE5, 0x80}));
    EXPECT_EQ(std::get<Codes>(passwordCodes("\tp\t", "t")), (Codes{'\t', 'p', '\t'}));
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"", "tomt"}, {"   ", "tomt"}, {"p\xE4\xB8\xAD", "U+4E2D"}, {"p\0q"s, "U+0000"}, {"p\xC3", "UTF-8"},
    };
    for (const auto& [line, part] : refused) {
        const auto result = passwordCodes(line, "t");
        ASSERT_TRUE(std::holds_alternative<Failure>(result)) << line;
        EXPECT_EQ(std::get<Failure>(result).status, ExitStatus::BadUsageOrInput);
        EXPECT_NE(std::get<Failure>(result).message.find(part), std::string::npos) << std::get<Failure>(result).message;
    }
}

std::variant<Arguments, Failure> parse(std::vector<std::string_view> args) { return parseArguments(args); }

TEST(CommandLine, OptionsInputAndOutput) {
    Arguments expected;
    EXPECT_EQ(std::get<Arguments>(parse({})), expected);
    expected.passwordFrom = Arguments::PasswordFrom::File;
    expected.passwordFile = "pw";
    expected.raw = true;
    expected.input = "in";
    expected.output = "out";
    EXPECT_EQ(std::get<Arguments>(parse({"--password-file", "pw", "--raw", "-o", "out", "in"})), expected);
    EXPECT_EQ(std::get<Arguments>(parse({"in", "--output=out", "--password-file=pw", "--raw"})), expected);
    EXPECT_EQ(std::get<Arguments>(parse({"-oout", "--raw", "--password-file", "pw", "--", "in"})), expected);
    expected.input = "-o";
    EXPECT_EQ(std::get<Arguments>(parse({"-oout", "--raw", "--password-file", "pw", "--", "-o"})), expected);

    const auto fd = std::get<Arguments>(parse({"--password-fd", "0", "-", "-o", "-"}));
    EXPECT_EQ(fd.passwordFrom, Arguments::PasswordFrom::Descriptor);
    EXPECT_EQ(fd.passwordFd, 0);
    EXPECT_FALSE(fd.input);
    EXPECT_FALSE(fd.output);
    EXPECT_EQ(std::get<Arguments>(parse({"--snabbt", "--help"})).action, Arguments::Action::Help);
    EXPECT_EQ(std::get<Arguments>(parse({"-o", "x", "--version"})).action, Arguments::Action::Version);
}

TEST(CommandLine, MistakesAreUsageErrors) {
    const std::vector<std::vector<std::string_view>> wrong = {
        {"--snabbt"}, {"-x"}, {"-o"}, {"--password-file"}, {"--password-fd", "-1"}, {"--password-fd", "3x"},
        {"--password-fd", ""}, {"--password-fd", "99999999999"}, {"--password-file", "a", "--password-fd", "3"},
        {"--raw=ja"}, {"-o", "a", "-o", "b"}, {"in1", "in2"}, {"-o", ""},
    };
    for (const auto& args : wrong) {
        const auto result = parse(args);
        ASSERT_TRUE(std::holds_alternative<Failure>(result)) << args.front();
        EXPECT_EQ(std::get<Failure>(result).status, ExitStatus::BadUsageOrInput);
        EXPECT_NE(std::get<Failure>(result).message.find("--help"), std::string::npos);
    }
}

} // namespace

// Runs the built velmora-crypt as a script would: arguments, pipes, files,
// descriptors.
#include "tests/cli/cli_folder.h"

#include "cipher/cp1252.h"
#include "cipher/text_cipher.h"
#include "cipher/text_position.h"
#include "cli/utf8.h"
#include "mailsim/mail_corpus.h"
#include "mailsim/mail_damage.h"
#include "repair/change_text.h"
#include "repair/repair.h"

using namespace std::string_literals;

namespace {

// Windows-1252 42 27 2C CE 17 3A A5 7B EE, in UTF-8.
const std::string kHejText = "Hej d\xC3\xA5!\r\n", kHejCipher = "B',\xC3\x8E\x17:\xC2\xA5{\xC3\xAE";

struct ProcessResult {
    int exitStatus = -1;
    std::string standardOutput, standardError;
};

// For the shell; the tests' arguments hold no quotes.
std::string quoted(const std::string& word) { return std::string(1, '\'').append(word).append(1, '\''); }

// Runs of the program with arguments, "@name" standing for the path of name
// in the folder, and standard input and output in files beside it.
class VelmoraCrypt : public CliFolder {
protected:
    std::string commandLine(const std::vector<std::string>& args) const {
        std::string line = "crypt ";
        for (const auto& a : args) {
            const auto at = std::min(a.find('@'), a.size());
            line.append(quoted(a.substr(0, at) + (at < a.size() ? path(a.substr(at + 1)) : ""))).append(" ");
        }
        return line;
    }
    ProcessResult run(const std::vector<std::string>& args, const std::string& input = {}) const {
        write(io("in"), input);
        const auto [status, error] = shell(commandLine(args) + " <" + io("in") + " >" + io("out"));
        return {status, read(io("out")), error};
    }
    ProcessResult crypt(const std::string& text, std::vector<std::string> extra = {}) const {
        extra.insert(extra.begin(), {"--password-file", "@pw"});
        return run(extra, text);
    }
};

TEST_F(VelmoraCrypt, KnownAnswersWhicheverWayTextAndPasswordCome) {
    const struct {
        std::string password;
        std::vector<std::string> args;
        std::string input, expected;
    } cases[] = {
        {"Hemligt7\n", {"--password-file", "@pw"}, kHejText, kHejCipher},
        {"Hemligt7\n", {"--password-file=@pw"}, "\xEF\xBB\xBF" + kHejText, kHejCipher},
        {"Hemligt7\n", {"--raw", "--password-file", "@pw", "-"}, "Hej d\xE5!\r\n", "B',\xCE\x17:\xA5{\xEE"},
        {"", {"--password-fd", "0"}, "Hemligt7\n" + kHejText, kHejCipher},
        {"  Hemligt7  \r\n", {"--password-file", "@pw", "-o", "-"}, kHejText, kHejCipher},
        {"Hemligt7\r", {"--password-file", "@pw"}, kHejText, kHejCipher},
        {"ba\r\nrest", {"--password-file", "@pw"}, "AAAAAAAA", "Kr\x0C\xE2\x80\x93\xC3\xBC\xC5\xBE\x0C\xE2\x80\x9C"},
        {" l\xC3\xA5ng \xE2\x82\xAC fras ", {"--password-file", "@pw"}, "A", "K"},
    };
    for (const auto& c : cases) {
        write("pw", c.password);
        const ProcessResult result = run(c.args, c.input);
        EXPECT_EQ(result.exitStatus, 0) << c.password << result.standardError;
        EXPECT_EQ(result.standardOutput, c.expected) << c.password;
    }
    write("pw", "Hemligt7");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-o", "@out", "@in"}, {"@in", "--output=@out"}, {"-o@out", "--", "@in"}}) {
        write("in", kHejText);
        fs::remove(path("out"));
        const ProcessResult viaFiles = crypt("", args);
        EXPECT_EQ(viaFiles.exitStatus, 0) << viaFiles.standardError;
        EXPECT_EQ(viaFiles.standardOutput, "");
        EXPECT_EQ(read("out"), kHejCipher);
        EXPECT_EQ(files(), (std::set<std::string>{"in", "out", "pw"}));
    }
}

TEST_F(VelmoraCrypt, RoundTripGivesTheTextBack) {
    std::string text;
    while (text.size() < 1500 * 1024) {  // past the held-back first mebibyte and many reads
        text += "Hej d\xC3\xA5, \xC3\xA5\xC3\xA4\xC3\xB6 5 \xE2\x82\xAC\tflik\r\nCRLF\nLF\rCR " +
                std::to_string(text.size());
    }
    const ProcessResult there = crypt(text);
    ASSERT_EQ(there.exitStatus, 0);
    EXPECT_NE(there.standardOutput, text);
    EXPECT_EQ(crypt(there.standardOutput).standardOutput, text);

    std::string every;
    for (int code = 1; code < 256; ++code) every += static_cast<char>(code);
    write("in", every);
    ASSERT_EQ(crypt("", {"--raw", "-o", "@in", "@in"}).exitStatus, 0);  // in place
    EXPECT_NE(read("in"), every);
    ASSERT_EQ(crypt("", {"--raw", "-o", "@in", "@in"}).exitStatus, 0);
    EXPECT_EQ(read("in"), every);
    EXPECT_EQ(files(), (std::set<std::string>{"in", "pw"}));
}

TEST_F(VelmoraCrypt, EveryRefusalSaysWhyAndChangesNothing) {
    ::mkdir(path("katalog").c_str(), 0755);
    write("fil", "x");
    const struct {
        std::string text;
        std::vector<std::string> args;
        std::string password;
        int status;
        std::vector<std::string> parts;
    } refusals[] = {
        {"ab\xC0\x80", {}, "pw", 2, {"UTF-8", "\xC3\xB6verl\xC3\xA5ng kodning vid byte 2"}},
        {"ett\r\ntv\xC3\xA5\rtre\n\tx\xE4\xB8\xAD", {}, "pw", 2, {"U+4E2D", "rad 4, kolumn 3"}},
        {"ab\0c"s, {}, "pw", 2, {"U+0000", "rad 1, kolumn 3"}},
        {"ab\0c"s, {"--raw"}, "pw", 2, {"U+0000", "rad 1, kolumn 3"}},
        {"text", {}, "   \n", 2, {"L\xC3\xB6senordet \xC3\xA4r tomt"}},
        {"text", {}, "p\xE4\xB8\xAD\n", 2, {"kolumn 2", "!U+4E2D", "!\xE4\xB8\xAD"}},  // the position, never the secret
        {"text", {}, "p\xFF\n", 2, {"UTF-8"}},
        {"text", {}, std::string(64 * 1024 + 1, 'x'), 2, {"l\xC3\xA4ngre \xC3\xA4n 65536 byte"}},
        {"text", {"--snabbt"}, "pw", 2, {"Ok\xC3\xA4nd flagga '--snabbt'", "--help"}},
        {"text", {"--raw=ja"}, "pw", 2, {"--help"}},
        {"text", {"--password-fd"}, "pw", 2, {"kr\xC3\xA4ver ett v\xC3\xA4rde"}},
        {"text", {"--password-fd", "3x"}, "pw", 2, {"Ogiltig fildeskriptor"}},
        {"text", {"--password-fd", "57"}, "pw", 2, {"inte \xC3\xB6ppen"}},
        {"text", {"--password-fd", "3", "--password-file", "@pw"}, "pw", 2, {"--help"}},
        {"text", {"a", "b"}, "pw", 2, {"Mer \xC3\xA4n en indatafil"}},
        {"text", {"-o", ""}, "pw", 2, {"--help"}},
        {"text", {"-o", "@ut", "-o", "@ut"}, "pw", 2, {"Utdatafilen f\xC3\xA5r bara anges en g\xC3\xA5ng"}},
        {"text", {"@saknas"}, "pw", 1, {"finns inte"}},
        {"text", {"@katalog"}, "pw", 1, {"katalog"}},
        {"text", {"-o", "@saknas/ut"}, "pw", 1, {"finns inte"}},
        {"text", {"-o", "@fil/ut"}, "pw", 1, {"inte en katalog"}},
        {"text", {"-o", "@katalog"}, "pw", 1, {"katalog"}},
        {"text", {"--password-file", "@saknas"}, "pw", 1, {"l\xC3\xB6senordsfilen"}},
        {"text", {"-o", "/dev/full"}, "pw", 1, {"utrymme"}},
        {"text", {"-o", "/proc/version"}, "pw", 1, {"'/proc/version'"}},
        {"text", {"-o", "/proc/self/status"}, "pw", 1, {"'/proc/self/status'"}},
    };
    for (const auto& r : refusals) {
        write("pw", r.password);
        write("out", "tidigare");
        const std::set<std::string> before = files();
        std::vector<std::string> args = r.args;
        if (args.empty() || !args.front().starts_with("--password"))
            args.insert(args.begin(), {"--password-file", "@pw"});
        const std::string name = r.parts.front();
        const ProcessResult result = run(args, r.text);
        EXPECT_EQ(result.exitStatus, r.status) << name;
        EXPECT_EQ(result.standardOutput, "") << name;
        EXPECT_TRUE(result.standardError.starts_with("velmora-crypt: ")) << name << ": " << result.standardError;
        EXPECT_EQ(result.standardError.find("ofullst\xC3\xA4ndigt"), std::string::npos) << "nothing was written";
        for (const auto& part : r.parts) {  // "!part": must not be said
            const bool absent = part.starts_with('!');
            EXPECT_EQ(result.standardError.find(part.substr(absent)) == std::string::npos, absent)
                << result.standardError;
        }
        EXPECT_EQ(read("out"), "tidigare") << name;
        EXPECT_EQ(files(), before) << name;
    }
}

TEST_F(VelmoraCrypt, LateRefusalOnStandardOutputSaysTheOutputIsIncomplete) {
    const ProcessResult streamed = crypt(std::string(3 << 20, 'a') + "\xE4\xB8\xAD");
    EXPECT_EQ(streamed.exitStatus, 2);
    EXPECT_GE(streamed.standardOutput.size(), 1u << 20);
    EXPECT_NE(streamed.standardError.find("ofullst\xC3\xA4ndigt"), std::string::npos);
    EXPECT_NE(streamed.standardError.find("\nvelmora-crypt: "), std::string::npos) << "every line named";
}

// Closed descriptors and a file size limit: each refused with its own reason,
// nothing written, nothing left behind.
TEST_F(VelmoraCrypt, HostileShellsGetTheirOwnRefusalAndNothingElse) {
    write("in", "Hemligt7\n" + kHejText);  // a first line that would pass for the password
    write("big", std::string(200000, 'a'));
    const struct {
        std::string line;
        int status;
        std::string part;
    } cases[] = {
        {"exec 3<&-; crypt --password-fd 3 in >out", 2, "Fildeskriptor 3 \xC3\xA4r inte \xC3\xB6ppen"},
        {"exec 3<&-; crypt --password-fd 3 -o out <in", 2, "Fildeskriptor 3 \xC3\xA4r inte \xC3\xB6ppen"},
        {"crypt --password-fd 0 in <&- >out", 2, "Fildeskriptor 0 \xC3\xA4r inte \xC3\xB6ppen"},
        {"crypt --password-file in <&- >out", 1, "Kan inte l\xC3\xA4sa texten"},
        {"crypt --password-file pw big >&-", 1, "Kan inte skriva resultatet"},
        {"ulimit -f 50; crypt --password-file pw -o out big", 1, "f\xC3\xB6r stor"},
    };
    for (const auto& c : cases) {
        const auto [status, error] = shell(c.line);
        EXPECT_EQ(status, c.status) << c.line << ": " << error;
        EXPECT_NE(error.find(c.part), std::string::npos) << c.line << ": " << error;
        EXPECT_EQ(read("out"), "") << c.line;
        fs::remove(path("out"));
        EXPECT_EQ(files(), (std::set<std::string>{"big", "in", "pw"})) << c.line;
    }
}

// A text of the code page as UTF-8, or as its bytes with --raw.
std::string encoded(std::u16string_view text, bool raw) {
    std::string out;
    for (const char16_t c : text)
        raw ? void(out += static_cast<char>(*velmora::cp1252::fromUnicode(c)))
            : velmora::utf8::append(std::u32string(1, c), out);
    return out;
}

// --repair against the repair library and the run without it: the repaired
// text with one line a change, placed as locate() places it, or else the
// ordinary output byte for byte; a text too long refused, nothing written.
TEST_F(VelmoraCrypt, RepairWritesTheRepairedTextOrElseTheOrdinaryOutput) {
    namespace mail = velmora::mailtest;
    using enum velmora::repair::Outcome;
    const std::u16string sent = mail::mailCorpus(1, 11)[0], password = mail::passwordFor(11);
    const std::u16string cipher = std::get<std::u16string>(velmora::cryptText(sent, password));
    const struct {
        const char* name;
        std::u16string received, password;
        bool raw, toFile;
        velmora::repair::Outcome outcome;
        bool sentBack;
    } cases[] = {
        {"CR LF", mail::lineEndsCrLf(cipher), password, false, false, Repaired, true},
        {"CR LF, wrapped, --raw", mail::hardWrap(mail::lineEndsCrLf(cipher)), password, true, false, Repaired, true},
        {"CR LF, first missed, -o", mail::firstMissed(mail::lineEndsCrLf(cipher)), password, false, true, Repaired,
         false},
        {"undamaged", cipher, password, false, false, Exact, false},
        {"plain text, --raw", sent, password, true, false, Exact, false},
        {"wrong password, -o", mail::lineEndsCrLf(cipher), u"fel", false, true, NotText, false},
    };
    for (const auto& c : cases) {
        write("pw", "  " + encoded(c.password, false) + " \n");
        fs::remove(path("out"));
        std::vector<std::string> args = {"--password-file", "@pw"};
        if (c.raw) args.push_back("--raw");
        const std::string input = (c.raw ? "" : "\xEF\xBB\xBF") + encoded(c.received, c.raw);  // a BOM is no text
        const std::string ordinary = run(args, input).standardOutput;
        args.push_back("--repair");
        if (c.toFile) args.insert(args.end(), {"-o", "@out"});
        ProcessResult result = run(args, input);
        if (c.toFile) result.standardOutput = read("out");

        const auto expected = velmora::repair::repairText(c.received, c.password);
        ASSERT_EQ(expected.outcome, c.outcome) << c.name;
        std::string lines;
        for (const auto& change : expected.changes) {
            const velmora::TextPosition at = velmora::locate(c.received, change.position);
            lines += "velmora-crypt: rad " + std::to_string(at.line) + ", kolumn " + std::to_string(at.column) + ": " +
                     velmora::repair::describe(change.kind) + (change.guess ? " (gissning)" : "") + "\n";
        }
        EXPECT_EQ(result.exitStatus, c.outcome == NotText ? 3 : 0) << c.name << result.standardError;
        const std::string repaired = c.sentBack ? encoded(sent, c.raw) : encoded(expected.text, c.raw);
        EXPECT_EQ(result.standardOutput, c.outcome == Repaired ? repaired : ordinary) << c.name;
        if (c.outcome == NotText) {
            EXPECT_TRUE(result.standardError.starts_with("velmora-crypt: Ingen l\xC3\xA4sning"))
                << result.standardError;
        } else {
            EXPECT_EQ(result.standardError, lines) << c.name;
        }
    }

    const std::size_t most = velmora::repair::kMaxLength;
    std::string euros = "\xEF\xBB\xBF";  // the longest text in the most bytes, then one character more
    while (euros.size() < 3 * (most + 1)) euros += "\xE2\x82\xAC";
    EXPECT_NE(crypt(euros, {"--repair"}).exitStatus, 2) << "taken, whatever the repair makes of it";
    euros += "\xE2\x82\xAC";
    for (const std::string& tooLong : {std::string(most + 1, 'a'), euros}) {
        write("out", "tidigare");
        const ProcessResult refused = crypt(tooLong, {"--repair", "-o", "@out"});
        EXPECT_EQ(refused.exitStatus, 2);
        EXPECT_NE(refused.standardError.find(std::to_string(most) + " tecken"), std::string::npos);
        EXPECT_EQ(read("out") + refused.standardOutput, "tidigare");
        EXPECT_EQ(files(), (std::set<std::string>{"out", "pw"}));
    }
}

TEST_F(VelmoraCrypt, HelpAndVersionWinOverEverythingElse) {
    const ProcessResult help = run({"--password-fd", "57", "--snabbt", "--help"}),
                        version = run({"-o", "x", "--version"});
    EXPECT_TRUE(help.exitStatus == 0 && help.standardOutput.starts_with("Anv\xC3\xA4ndning: velmora-crypt"))
        << help.standardOutput;
    EXPECT_TRUE(version.exitStatus == 0 && version.standardOutput == "velmora-crypt " VELMORA_VERSION_TEXT "\n");
}

}  // namespace

// Runs the built velmora-crypt as a script would: arguments, pipes, files.
#include "process_runner.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <csignal>
#include <poll.h>
#include <set>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;
using velmora::testing::ProcessResult;
using velmora::testing::ProcessSetup;

namespace {

const std::string kProgram = VELMORA_CRYPT_PATH;

// Answers of the original program, its Windows-1252 codes written out by
// hand in UTF-8 (0xCE is Î, 0x96 U+2013, 0x9E U+017E, 0x93 U+201C).
const std::string kHejText = "Hej d\xC3\xA5!\r\n";
const std::string kHejCipher = "B',\xC3\x8E\x17:\xC2\xA5{\xC3\xAE";
const std::string kHejRawText = "Hej d\xE5!\r\n";
const std::string kHejRawCipher = "B',\xCE\x17:\xA5{\xEE";
const std::string kAbCipher = "K\x02\x0C\xE2\x80\x93\xC3\xBC\xC3\x85\x0C\xC3\xAA";
const std::string kBaCipher = "Kr\x0C\xE2\x80\x93\xC3\xBC\xC5\xBE\x0C\xE2\x80\x9C";

class VelmoraCrypt : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmora-crypt-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        write("pw", "Hemligt7\n");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void write(const std::string& name, const std::string& content) const {
        std::ofstream(path(name), std::ios::binary) << content;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename().string());
        return names;
    }
    ProcessResult run(std::vector<std::string> args, std::string input = {}) const {
        return velmora::testing::runProcess(kProgram, {.args = std::move(args), .standardInput = std::move(input)});
    }
    ProcessResult crypt(const std::string& text, std::vector<std::string> extra = {}) const {
        extra.insert(extra.begin(), {"--password-file", path("pw")});
        return run(extra, text);
    }

    fs::path dir_;
};

TEST_F(VelmoraCrypt, KnownAnswersThroughPipesAndFiles) {
    EXPECT_EQ(crypt(kHejText).standardOutput, kHejCipher);
    EXPECT_EQ(crypt(kHejRawText, {"--raw"}).standardOutput, kHejRawCipher);
    write("pw", "ab\n");
    EXPECT_EQ(crypt("AAAAAAAA").standardOutput, kAbCipher);
    write("pw", "ba\r\n");
    write("in", "AAAAAAAA");
    const ProcessResult viaFiles = crypt("", {"-o", path("out"), path("in")});
    EXPECT_EQ(viaFiles.exitStatus, 0);
    EXPECT_EQ(viaFiles.standardOutput, "");
    EXPECT_EQ(read("out"), kBaCipher);
    for (const std::string password : {"x", "Hemligt7", "  l\xC3\xA5ng \xE2\x82\xAC fras "}) {
        write("pw", password);
        EXPECT_EQ(crypt("A").standardOutput, "K") << password;
    }
}

TEST_F(VelmoraCrypt, PasswordFromDescriptorAndByteOrderMark) {
    const auto viaFd = velmora::testing::runProcess(
        kProgram, {.args = {"--password-fd", "5"}, .standardInput = kHejText, .extraInputs = {{5, "  Hemligt7  \r\n"}}});
    EXPECT_EQ(viaFd.standardOutput, kHejCipher);
    // The password's line first, the text after it, on the same descriptor.
    EXPECT_EQ(run({"--password-fd", "0"}, "Hemligt7\n" + kHejText).standardOutput, kHejCipher);
    EXPECT_EQ(crypt("\xEF\xBB\xBF" + kHejText).standardOutput, kHejCipher);
}

TEST_F(VelmoraCrypt, RoundTripGivesTheTextBack) {
    std::string text;
    while (text.size() < 1500 * 1024) {   // past the held-back first mebibyte and many reads
        text += "Hej d\xC3\xA5, \xC3\xA5\xC3\xA4\xC3\xB6 \xC3\x85\xC3\x84\xC3\x96 kostar 5 \xE2\x82\xAC\tflik\r\nCRLF\nLF\rCR "
                + std::to_string(text.size()) + "\n";
    }
    const ProcessResult there = crypt(text);
    ASSERT_EQ(there.exitStatus, 0);
    EXPECT_NE(there.standardOutput, text);
    EXPECT_EQ(crypt(there.standardOutput).standardOutput, text);

    std::string every;
    for (int code = 1; code < 256; ++code) every += static_cast<char>(code);
    write("in", every);
    ASSERT_EQ(crypt("", {"--raw", "-o", path("in"), path("in")}).exitStatus, 0);   // in place
    EXPECT_NE(read("in"), every);
    ASSERT_EQ(crypt("", {"--raw", "--output=" + path("in"), path("in")}).exitStatus, 0);
    EXPECT_EQ(read("in"), every);
}

struct Refusal {
    const char* name;
    std::string text;
    std::vector<std::string> args;
    std::string password;
    std::vector<std::string> messageParts;
};

TEST_F(VelmoraCrypt, EveryRefusalExitsTwoAndLeavesNoOutput) {
    const std::vector<Refusal> refusals = {
        {"overlong", "ab\xC0\x80", {}, "pw\n", {"UTF-8", "\xC3\xB6verl\xC3\xA5ng kodning vid byte 2"}},
        {"truncated at end", "ab\xE2\x82", {}, "pw\n", {"ofullst\xC3\xA4ndig", "byte 2"}},
        {"surrogate", "\xED\xA0\x80", {}, "pw\n", {"surrogat", "byte 0"}},
        {"outside code page", "ett\r\ntv\xC3\xA5\rtre\n\tx\xE4\xB8\xAD", {}, "pw\n", {"U+4E2D", "rad 4, kolumn 3"}},
        {"nul", "ab\0c"s, {}, "pw\n", {"U+0000", "rad 1, kolumn 3"}},
        {"nul raw", "ab\0c"s, {"--raw"}, "pw\n", {"U+0000", "rad 1, kolumn 3"}},
        {"blank password", "text", {}, "   \n", {"tomt"}},
        {"password outside code page", "text", {}, "p\xE4\xB8\xAD\n", {"L\xC3\xB6senordet", "U+4E2D"}},
        {"password not UTF-8", "text", {}, "p\xFF\n", {"UTF-8"}},
        {"unknown option", "text", {"--snabbt"}, "pw\n", {"Ok\xC3\xA4nd flagga '--snabbt'"}},
        {"missing value", "text", {"--password-fd"}, "pw\n", {"kr\xC3\xA4ver ett v\xC3\xA4rde"}},
        {"fd not a number", "text", {"--password-fd", "3x"}, "pw\n", {"Ogiltig fildeskriptor"}},
        {"fd not open", "text", {"--password-fd", "57"}, "pw\n", {"inte \xC3\xB6ppen"}},
        {"two inputs", "text", {"a", "b"}, "pw\n", {"Mer \xC3\xA4n en indatafil"}},
    };
    for (const Refusal& r : refusals) {
        write("pw", r.password);
        write("out", "tidigare inneh\xC3\xA5ll");
        std::vector<std::string> args = {"-o", path("out")};
        if (r.args.empty() || r.args.front() != "--password-fd") args.insert(args.end(), {"--password-file", path("pw")});
        args.insert(args.end(), r.args.begin(), r.args.end());
        const ProcessResult result = run(args, r.text);
        EXPECT_EQ(result.exitStatus, 2) << r.name;
        EXPECT_TRUE(result.standardError.starts_with("velmora-crypt: ")) << r.name << ": " << result.standardError;
        for (const auto& part : r.messageParts) {
            EXPECT_NE(result.standardError.find(part), std::string::npos) << r.name << ": " << result.standardError;
        }
        EXPECT_EQ(read("out"), "tidigare inneh\xC3\xA5ll") << r.name;
        EXPECT_EQ(files(), (std::set<std::string>{"out", "pw"})) << r.name;
        fs::remove(path("out"));
        EXPECT_EQ(run(args, r.text).exitStatus, 2) << r.name;
        EXPECT_EQ(files(), (std::set<std::string>{"pw"})) << r.name;
    }
}

TEST_F(VelmoraCrypt, LateRefusalOnStandardOutputSaysTheOutputIsIncomplete) {
    const std::string text = std::string(3 << 20, 'a') + "\xE4\xB8\xAD";
    const ProcessResult streamed = crypt(text);
    EXPECT_EQ(streamed.exitStatus, 2);
    EXPECT_GE(streamed.standardOutput.size(), 1u << 20);
    EXPECT_NE(streamed.standardError.find("ofullst\xC3\xA4ndigt"), std::string::npos);
    EXPECT_NE(streamed.standardError.find("\nvelmora-crypt: "), std::string::npos) << "every line named";
    const ProcessResult held = crypt("kort \xE4\xB8\xAD");
    EXPECT_EQ(held.exitStatus, 2);
    EXPECT_EQ(held.standardOutput, "");
    EXPECT_EQ(held.standardError.find("ofullst\xC3\xA4ndigt"), std::string::npos);
}

TEST_F(VelmoraCrypt, InputAndOutputFailuresExitOne) {
    ::mkdir(path("katalog").c_str(), 0755);
    write("fil", "x");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{path("saknas")}, "finns inte"},
        {{path("katalog")}, "katalog"},
        {{"-o", path("saknas/ut")}, "Kan inte skapa"},
        {{"-o", path("fil/ut")}, "inte en katalog"},
        {{"-o", path("katalog")}, "katalog"},
        {{"--password-file", path("saknas")}, "l\xC3\xB6senordsfilen"},
    };
    for (const auto& [args, part] : cases) {
        std::vector<std::string> all = {"--password-file", path("pw")};
        if (args.front() == "--password-file") all.clear();
        all.insert(all.end(), args.begin(), args.end());
        const ProcessResult result = run(all, kHejText);
        EXPECT_EQ(result.exitStatus, 1) << args.back();
        EXPECT_NE(result.standardError.find(part), std::string::npos) << result.standardError;
    }
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    const auto toFull = velmora::testing::runProcess(
        kProgram, {.args = {"--password-file", path("pw")}, .standardInput = kHejText, .standardOutputFd = full});
    ::close(full);
    EXPECT_EQ(toFull.exitStatus, 1);
    EXPECT_NE(toFull.standardError.find("utrymme"), std::string::npos) << toFull.standardError;
}

TEST_F(VelmoraCrypt, NamedPipeAsOutputIsWrittenNotReplaced) {
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    const int reader = ::open(path("fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(crypt(kHejText, {"-o", path("fifo")}).exitStatus, 0);
    char buffer[64] = {};
    const ssize_t n = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0), kHejCipher);
    EXPECT_TRUE(fs::is_fifo(path("fifo")));
}

TEST_F(VelmoraCrypt, SignalDuringARunLeavesNoTemporaryFile) {
    // Standard input stays open, so the run waits with its temporary file made.
    auto process = velmora::testing::startProcess(
        kProgram, {.args = {"--password-file", path("pw"), "-o", path("out")}, .standardInput = "halv text"});
    for (int i = 0; i < 500 && files().size() < 2; ++i) ::usleep(10000);
    EXPECT_EQ(files().size(), 2u);
    ::kill(process.pid, SIGTERM);
    EXPECT_EQ(velmora::testing::finishProcess(process).exitStatus, -1);
    EXPECT_EQ(files(), (std::set<std::string>{"pw"}));
}

TEST_F(VelmoraCrypt, TerminalPrompt) {
    const ProcessResult noTerminal = velmora::testing::runProcess(kProgram, {.standardInput = kHejText, .withoutTerminal = true});
    EXPECT_EQ(noTerminal.exitStatus, 2);
    EXPECT_NE(noTerminal.standardError.find("ingen terminal"), std::string::npos) << noTerminal.standardError;

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    // Held open here too, so that the terminal stays readable before the child opens it.
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    auto process = velmora::testing::startProcess(kProgram, {.standardInput = kHejText, .controllingTerminal = ::ptsname(master)});
    std::string screen;
    const auto readScreen = [&](const std::string& until) {
        pollfd p{master, POLLIN, 0};
        while (screen.find(until) == std::string::npos && ::poll(&p, 1, 5000) > 0) {
            char buffer[256];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            screen.append(buffer, static_cast<std::size_t>(n));
        }
    };
    readScreen("L\xC3\xB6senord: ");
    ASSERT_EQ(::write(master, "Hemligt7\n", 9), 9);
    const ProcessResult answered = velmora::testing::finishProcess(process);
    readScreen("\n");
    EXPECT_EQ(answered.exitStatus, 0) << answered.standardError;
    EXPECT_EQ(answered.standardOutput, kHejCipher);
    EXPECT_EQ(screen.find("Hemligt7"), std::string::npos) << screen;   // not echoed
    termios restored{};
    ASSERT_EQ(::tcgetattr(master, &restored), 0);
    EXPECT_NE(restored.c_lflag & ECHO, 0u);

    // Interrupted while it waits: the program ends by the signal, echo back on.
    screen.clear();
    process = velmora::testing::startProcess(kProgram, {.standardInput = kHejText, .controllingTerminal = ::ptsname(master)});
    readScreen("L\xC3\xB6senord: ");
    ::kill(process.pid, SIGINT);
    EXPECT_EQ(velmora::testing::finishProcess(process).exitStatus, -1);
    ASSERT_EQ(::tcgetattr(master, &restored), 0);
    EXPECT_NE(restored.c_lflag & ECHO, 0u);
    ::close(slave);
    ::close(master);
}

TEST_F(VelmoraCrypt, HelpAndVersion) {
    const ProcessResult help = run({"--password-fd", "57", "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_TRUE(help.standardOutput.starts_with("Anv\xC3\xA4ndning: velmora-crypt")) << help.standardOutput;
    EXPECT_NE(help.standardOutput.find("status 2"), std::string::npos);
    EXPECT_EQ(help.standardError, "");
    const ProcessResult version = run({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.standardOutput, "velmora-crypt " VELMORA_VERSION_TEXT "\n");
}

} // namespace

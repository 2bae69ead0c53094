// velmora-crypt never destroys what it was not asked to replace, never lets a
// user replace what they may not write, and keeps the password out of reach.
#include "secrets/wiping_allocator.h"

#include "tests/cli/cli_folder.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <sstream>

namespace {

const std::string kText = "befintligt\n";

// Root passes every permission check, so as root the program runs as nobody,
// in a folder everyone may write (no sticky bit).
class OutputSafety : public CliFolder {
protected:
    void SetUp() override {
        CliFolder::SetUp();
        write("in", kText);
    }
    std::pair<int, std::string> shell(const std::string& line) const { return CliFolder::shell(line, true); }
};

enum class Left { Unchanged, Cipher, Appended };  // what f holds afterwards

TEST_F(OutputSafety, TargetsAreWrittenInPlaceReplacedOrRefused) {
    using enum Left;
    const struct {
        const char* line;
        mode_t mode;     // of f
        bool rootOwnsF;  // needs a second user: as root only
        int status;
        const char* messagePart;
        Left f;
    } cases[] = {
        {"crypt --password-file pw -o /dev/stdout in >> f", 0644, false, 0, "", Appended},
        {"crypt --password-file pw -o /dev/fd/1 in >> f", 0644, false, 0, "", Appended},
        {"crypt --password-file pw -o /proc/self/fd/1 in >> f", 0644, false, 0, "", Appended},
        {"crypt --password-file pw -o /dev/stdin < in", 0644, false, 1, "inte \xC3\xB6ppen f\xC3\xB6r skrivning",
         Unchanged},
        {"crypt --password-file pw f >> f", 0644, false, 1, "samma fil", Unchanged},
        {"crypt --password-file pw -o f f", 0644, false, 0, "", Cipher},
        {"crypt --password-file pw -o ./3 in 3>&- && mv 3 f", 0644, false, 0, "", Cipher},  // a file, not fd 3
        {"crypt --password-file pw -o f in", 0444, false, 1, "\xC3\xA5tkomst nekad", Unchanged},
        {"crypt --password-file pw -o f in", 0600, true, 1, "\xC3\xA5tkomst nekad", Unchanged},
        {"crypt --password-file pw -o f in", 0666, true, 1, "samma \xC3\xA4gare", Unchanged},
        {"crypt --password-fd 1 in > /dev/null", 0644, false, 2,
         "fildeskriptor 1: den \xC3\xA4r inte \xC3\xB6ppen f\xC3\xB6r l\xC3\xA4sning", Unchanged},
        {"chmod a-w . && crypt --password-file pw -o f in; s=$?; chmod a+w .; exit $s", 0644, false, 1,
         "katalogen '.' g\xC3\xA5r inte att skriva i", Unchanged},
    };
    const auto [plainStatus, plainError] = shell("crypt --password-file pw in > c");
    ASSERT_EQ(plainStatus, 0) << plainError;
    const std::string cipher = read("c");
    fs::remove(path("c"));
    ASSERT_FALSE(cipher.empty());
    for (const auto& c : cases) {
        if (c.rootOwnsF && !asRoot()) continue;  // the read-only case covers the check then
        write("f", kText, c.mode, !c.rootOwnsF);
        struct stat before {};
        ::stat(path("f").c_str(), &before);
        const auto [status, error] = shell(c.line);
        EXPECT_EQ(status, c.status) << c.line << ": " << error;
        EXPECT_NE(error.find(c.messagePart), std::string::npos) << c.line << ": " << error;
        const std::string expected[] = {kText, cipher, kText + cipher};
        EXPECT_EQ(read("f"), expected[static_cast<int>(c.f)]) << c.line;
        struct stat after {};
        ::stat(path("f").c_str(), &after);
        EXPECT_EQ(after.st_mode, before.st_mode) << c.line;
        EXPECT_EQ(after.st_uid, before.st_uid) << c.line;
        EXPECT_EQ(files(), (std::set<std::string>{"f", "in", "pw"})) << c.line << ": nothing left behind";
    }
}

// A field of /proc/PID/limits or /proc/PID/status: the words after its name.
std::string procField(pid_t pid, const std::string& file, const std::string& name) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(name)) return line.substr(name.size());
    return "";
}

// A run writing to out from a pipe that stays open, once it is waiting for
// more: it cannot be inspected, and no signal that kills it leaves a file.
TEST_F(OutputSafety, RunningProgramKeepsItsSecretsAndLeavesNothingWhenKilled) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGXCPU, SIGKILL}) {
        // A shell starts background commands with SIGINT and SIGQUIT ignored; env restores them.
        ASSERT_EQ(shell("((yes aaaaaaa | head -c 3000000; sleep 10) | env --default-signal crypt --password-file pw -o "
                        "out & echo $! > pid)")
                      .first,
                  0);
        const pid_t pid = std::stoi(read("pid"));
        fs::remove(path("pid"));
        const auto state = [pid] {
            return procField(pid, "stat", std::to_string(pid) + " (velmora-crypt) ").substr(0, 1);
        };
        for (int i = 0; i < 3000 && state() != "S"; ++i) ::usleep(10000);
        std::istringstream uids(procField(pid, "status", "Uid:")), core(procField(pid, "limits", "Max core file size"));
        uid_t uid = 0;
        std::string soft, hard;
        uids >> uid;
        core >> soft >> hard;
        struct stat proc {};
        EXPECT_EQ(::stat(("/proc/" + std::to_string(pid) + "/status").c_str(), &proc), 0);
        EXPECT_TRUE(uid != 0 && proc.st_uid == 0 && soft + hard == "00") << "not dumpable, files root's";
        ::kill(pid, signal);
        for (int i = 0; i < 3000 && !state().empty() && state() != "Z"; ++i) ::usleep(10000);
        EXPECT_EQ(files(), (std::set<std::string>{"in", "pw"})) << strsignal(signal);
        fs::remove(path("out"));
    }
}

// Where the filesystem refuses unnamed files (gdb makes O_TMPFILE fail), a
// hidden named file takes their place; a signal once it exists removes it.
TEST_F(OutputSafety, WithoutUnnamedFilesASignalStillLeavesNothing) {
    if (std::system("gdb --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs gdb";
    for (const char* signal : {"SIGTERM", "SIGUSR1", "SIGPIPE"}) {
        std::ofstream(io("gdb")) << "handle " << signal
                                 << " nostop noprint\nset $refused = 0\ncatch syscall openat read\ncommands\n  silent\n"
                                    "  if $orig_rax == 257 && ($rdx & 0x410000) == 0x410000\n    set $rdx = $rdx & "
                                    "~3\n    set $refused = 1\n  end\n"
                                    "  if $orig_rax == 0 && $refused\n    signal "
                                 << signal << "\n  end\n  continue\nend\nrun\n";
        CliFolder::shell("gdb -batch -nx -x " + io("gdb") + " --args crypt --password-file pw -o out in >/dev/null");
        EXPECT_EQ(files(), (std::set<std::string>{"in", "pw"})) << signal;
    }
}

// A root run of -o shared/out, in a sticky folder everyone may write, while
// another user swaps out for a link to a root file. gdb stops the run at
// each system call on files from the first one that names out, and at the
// step-th stop the swap is made: whatever the step, the root file is untouched.
TEST_F(OutputSafety, ALinkSwappedInAtAnyStepNeverGetsTheOutput) {
#ifndef __x86_64__
    GTEST_SKIP() << "the gdb script reads x86-64 registers";
#endif
    if (!asRoot() || std::system("gdb --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs root and gdb";
    int step = 1;
    for (; step < 100; ++step) {
        write("victim", "hemligt\n", 0600);
        ASSERT_EQ(
            CliFolder::shell(
                "rm -rf shared && mkdir -m 1777 shared && ln -s ../victim shared/link && chown -h nobody shared/link")
                .first,
            0);
        write("shared/out", kText, 0666, true);
        std::ofstream(io("gdb")) << "set $k = " << step << R"(
set $looked = 0
catch syscall open openat newfstatat fstat readlink readlinkat faccessat 439 linkat rename renameat renameat2 fchown fchmod fsync close unlinkat statx
commands
  silent
  set $stop = $looked && $rax != -38
  if !$looked && (($orig_rax == 89 && $_regex((char*)$rdi, ".*/out$")) || (($orig_rax == 257 || $orig_rax == 262) && $_regex((char*)$rsi, "(.*/)?out$")))
    set $looked = 1
    set $stop = 1
  end
  if $stop
    if ($k = $k - 1) == 0
      shell mv -T shared/link shared/out
    end
  end
  continue
end
run
)";
        CliFolder::shell("gdb -batch -nx -x " + io("gdb") +
                         " --args crypt --password-file pw -o shared/out in >/dev/null");
        struct stat victim {};
        ::stat(path("victim").c_str(), &victim);
        EXPECT_EQ(read("victim"), "hemligt\n") << "swapped at stop " << step;
        EXPECT_TRUE(victim.st_uid == 0 && (victim.st_mode & 07777) == 0600) << "swapped at stop " << step;
        if (fs::is_symlink(path("shared/link"))) break;  // the run ended before that stop
    }
    EXPECT_GT(step, 10) << "the swap was made at every stop of the run";
}

// Stands for the system's allocator and looks at each buffer given back.
int gReturned = 0, gReturnedUnwiped = 0;
template <class T>
struct Inspecting : std::allocator<T> {
    Inspecting() = default;
    template <class U>
    Inspecting(const Inspecting<U>&) {}
    void deallocate(T* p, std::size_t n) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(p);
        ++gReturned;
        gReturnedUnwiped += std::any_of(bytes, bytes + n * sizeof(T), [](unsigned char b) { return b != 0; });
        std::allocator<T>::deallocate(p, n);
    }
};

TEST(WipingAllocator, EveryBufferIsWipedBeforeItIsGivenBack) {
    {
        std::vector<char16_t, velmora::WipingAllocator<char16_t, Inspecting<char16_t>>> secret;
        for (int i = 0; i < 1000; ++i) secret.push_back(u'p');  // grows, leaving old buffers behind
    }
    EXPECT_GE(gReturned, 5);
    EXPECT_EQ(gReturnedUnwiped, 0);
}

}  // namespace

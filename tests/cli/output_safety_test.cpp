// velmora-crypt never destroys what it was not asked to replace, never lets a
// user replace what they may not write, and keeps the password out of reach.
#include "process_runner.h"
#include "wiping_allocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using velmora::testing::ProcessSetup;

namespace {

const std::string kProgram = VELMORA_CRYPT_PATH;
const std::string kText = "befintligt\n";

// Root passes every permission check, so as root the program runs as nobody.
class OutputSafety : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmora-safety-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);   // writable by the runner, no sticky bit
        write("pw", "Hemligt7\n", 0644);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static bool asRoot() { return ::geteuid() == 0; }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void write(const std::string& name, const std::string& content, mode_t mode, bool runnerOwns = true) const {
        fs::remove(path(name));
        std::ofstream(path(name), std::ios::binary) << content;
        if (asRoot() && runnerOwns) {
            EXPECT_EQ(::chown(path(name).c_str(), ::getpwnam("nobody")->pw_uid, ::getgrnam("nogroup")->gr_gid), 0);
        }
        EXPECT_EQ(::chmod(path(name).c_str(), mode), 0);
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // velmora-crypt, with the password file unless told a descriptor, as the unprivileged runner.
    velmora::testing::Process start(std::vector<std::string> args, ProcessSetup setup = {}) const {
        if (std::find(args.begin(), args.end(), "--password-fd") == args.end()) args.insert(args.begin(), {"--password-file", path("pw")});
        setup.args = args;
        if (!asRoot()) return velmora::testing::startProcess(kProgram, setup);
        setup.args.insert(setup.args.begin(), {"--reuid=nobody", "--regid=nogroup", "--clear-groups", kProgram});
        return velmora::testing::startProcess("/usr/bin/setpriv", setup);
    }

    fs::path dir_;
};

struct TargetCase {
    const char* name;
    std::vector<std::string> args;   // "@f" stands for the file f
    bool stdoutAppendsToF;           // the shell's >> f
    mode_t mode;                     // of f
    bool rootOwnsF;                  // needs a second user: runs as root only
    int status;
    const char* messagePart;
    enum { Unchanged, Cipher, Appended } f;
};

TEST_F(OutputSafety, TargetsAreWrittenInPlaceReplacedOrRefused) {
    const std::vector<TargetCase> cases = {
        {"-o /dev/stdout >> f", {"-o", "/dev/stdout"}, true, 0644, false, 0, "", TargetCase::Appended},
        {"-o /dev/fd/1 >> f", {"-o", "/dev/fd/1"}, true, 0644, false, 0, "", TargetCase::Appended},
        {"-o /proc/self/fd/1 >> f", {"-o", "/proc/self/fd/1"}, true, 0644, false, 0, "", TargetCase::Appended},
        {"-o /dev/stdin", {"-o", "/dev/stdin"}, false, 0644, false, 1, "inte \xC3\xB6ppen f\xC3\xB6r skrivning", TargetCase::Unchanged},
        {"f >> f", {"@f"}, true, 0644, false, 1, "samma fil", TargetCase::Unchanged},
        {"-o f f", {"-o", "@f", "@f"}, false, 0644, false, 0, "", TargetCase::Cipher},
        {"-o f, f read-only", {"-o", "@f"}, false, 0444, false, 1, "\xC3\xA5tkomst nekad", TargetCase::Unchanged},
        {"-o f, f another's", {"-o", "@f"}, false, 0600, true, 1, "\xC3\xA5tkomst nekad", TargetCase::Unchanged},
        {"-o f, f another's, writable", {"-o", "@f"}, false, 0666, true, 1, "samma \xC3\xA4gare", TargetCase::Unchanged},
        {"write-only --password-fd", {"--password-fd", "1"}, false, 0644, false, 2,
         "fildeskriptorn 1 g\xC3\xA5r inte att l\xC3\xA4sa", TargetCase::Unchanged},
    };
    auto plain = start({}, {.standardInput = kText});
    const std::string cipher = velmora::testing::finishProcess(plain).standardOutput;   // to standard out
    ASSERT_FALSE(cipher.empty());
    for (const TargetCase& c : cases) {
        if (c.rootOwnsF && !asRoot()) continue;   // the read-only case covers the check then
        write("f", kText, c.mode, !c.rootOwnsF);
        struct stat before {};
        ::stat(path("f").c_str(), &before);
        std::vector<std::string> args = c.args;
        std::replace(args.begin(), args.end(), std::string("@f"), path("f"));
        const int out = c.stdoutAppendsToF ? ::open(path("f").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC) : -1;
        auto process = start(args, {.standardInput = kText, .standardOutputFd = out});
        const auto result = velmora::testing::finishProcess(process);
        if (out >= 0) ::close(out);
        EXPECT_EQ(result.exitStatus, c.status) << c.name << ": " << result.standardError;
        EXPECT_NE(result.standardError.find(c.messagePart), std::string::npos) << c.name << ": " << result.standardError;
        const std::string expected[] = {kText, cipher, kText + cipher};
        EXPECT_EQ(read("f"), expected[c.f]) << c.name;
        struct stat after {};
        ::stat(path("f").c_str(), &after);
        EXPECT_EQ(after.st_mode, before.st_mode) << c.name;
        EXPECT_EQ(after.st_uid, before.st_uid) << c.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2) << c.name << ": nothing left behind";
    }
}

// A field of /proc/PID/limits or /proc/PID/status: the words after its name.
std::string procField(int pid, const std::string& file, const std::string& name) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(name)) return line.substr(name.size());
    }
    return "";
}

TEST_F(OutputSafety, RunningProgramCannotBeDumpedOrInspected) {
    // Standard input stays open: the run waits once its temporary file exists.
    auto process = start({"-o", path("out")}, {.standardInput = "halv"});
    for (int i = 0; i < 500 && std::distance(fs::directory_iterator(dir_), {}) < 2; ++i) ::usleep(10000);
    std::istringstream uids(procField(process.pid, "status", "Uid:")), core(procField(process.pid, "limits", "Max core file size"));
    uid_t uid = 0;
    std::string soft, hard;
    uids >> uid;
    core >> soft >> hard;
    struct stat proc {};
    ASSERT_EQ(::stat(("/proc/" + std::to_string(process.pid) + "/status").c_str(), &proc), 0);
    EXPECT_NE(uid, 0u);
    EXPECT_EQ(proc.st_uid, 0u) << "the files of a process that may not be dumped belong to root";
    EXPECT_EQ(soft + " " + hard, "0 0");
    EXPECT_EQ(velmora::testing::finishProcess(process).exitStatus, 0);
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
        for (int i = 0; i < 1000; ++i) secret.push_back(u'p');   // grows, leaving old buffers behind
    }
    EXPECT_GE(gReturned, 5);
    EXPECT_EQ(gReturnedUnwiped, 0);
}

} // namespace

// velmora-crypt never destroys what it was not asked to replace, never lets a
// user replace what they may not write, and keeps the password out of reach.
#include "wiping_allocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kText = "befintligt\n";

// Root passes every permission check, so as root the program runs as nobody,
// in a folder everyone may write (no sticky bit).
class OutputSafety : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmora-safety-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
        write("pw", "Hemligt7\n", 0644, false);
        write("in", kText, 0644, false);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        fs::remove(dir_.string() + ".err");
    }

    static bool asRoot() { return ::geteuid() == 0; }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void write(const std::string& name, const std::string& content, mode_t mode, bool runnerOwns) const {
        fs::remove(path(name));
        std::ofstream(path(name), std::ios::binary) << content;
        if (asRoot() && runnerOwns) {
            EXPECT_EQ(::chown(path(name).c_str(), ::getpwnam("nobody")->pw_uid, ::getgrnam("nogroup")->gr_gid), 0);
        }
        EXPECT_EQ(::chmod(path(name).c_str(), mode), 0);
    }
    std::string read(const std::string& name) const {
        std::ifstream in(name.starts_with("/") ? name : path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename().string());
        return names;
    }
    // A shell command line run in the folder, "crypt " standing for the
    // program run by the unprivileged runner; the status and what it said.
    std::pair<int, std::string> shell(std::string line) const {
        const std::string program = std::string(asRoot() ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "") +
                                    "'" + VELMORA_CRYPT_PATH + "' ";
        for (auto at = line.find("crypt "); at != std::string::npos; at = line.find("crypt ", at + program.size())) {
            line.replace(at, 6, program);
        }
        const std::string err = dir_.string() + ".err";
        const int status = std::system(("cd '" + dir_.string() + "' && " + line + " 2>'" + err + "'").c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(err)};
    }

    fs::path dir_;
};

enum class Left { Unchanged, Cipher, Appended };   // what f holds afterwards

TEST_F(OutputSafety, TargetsAreWrittenInPlaceReplacedOrRefused) {
    using enum Left;
    const struct {
        const char* line;
        mode_t mode;      // of f
        bool rootOwnsF;   // needs a second user: as root only
        int status;
        const char* messagePart;
        Left f;
    } cases[] = {
        {"crypt --password-file pw -o /dev/stdout in >> f", 0644, false, 0, "", Appended},
        {"crypt --password-file pw -o /dev/fd/1 in >> f", 0644, false, 0, "", Appended},
        {"crypt --password-file pw -o /proc/self/fd/1 in >> f", 0644, false, 0, "", Appended},
        {"crypt --password-file pw -o /dev/stdin < in", 0644, false, 1, "inte \xC3\xB6ppen f\xC3\xB6r skrivning", Unchanged},
        {"crypt --password-file pw f >> f", 0644, false, 1, "samma fil", Unchanged},
        {"crypt --password-file pw -o f f", 0644, false, 0, "", Cipher},
        {"crypt --password-file pw -o f in", 0444, false, 1, "\xC3\xA5tkomst nekad", Unchanged},
        {"crypt --password-file pw -o f in", 0600, true, 1, "\xC3\xA5tkomst nekad", Unchanged},
        {"crypt --password-file pw -o f in", 0666, true, 1, "samma \xC3\xA4gare", Unchanged},
        {"crypt --password-fd 1 in > /dev/null", 0644, false, 2, "fildeskriptorn 1 g\xC3\xA5r inte att l\xC3\xA4sa", Unchanged},
    };
    const auto [plainStatus, plainError] = shell("crypt --password-file pw in > c");
    ASSERT_EQ(plainStatus, 0) << plainError;
    const std::string cipher = read("c");
    fs::remove(path("c"));
    ASSERT_FALSE(cipher.empty());
    for (const auto& c : cases) {
        if (c.rootOwnsF && !asRoot()) continue;   // the read-only case covers the check then
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
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(name)) return line.substr(name.size());
    }
    return "";
}

TEST_F(OutputSafety, RunningProgramCannotBeDumpedOrInspected) {
    // Standard input stays open: the run waits once its temporary file exists.
    ASSERT_EQ(shell("(sleep 10 | crypt --password-file pw -o out & echo $! > pid)").first, 0);
    const pid_t pid = std::stoi(read("pid"));
    for (int i = 0; i < 1000 && files().size() < 4; ++i) ::usleep(10000);
    std::istringstream uids(procField(pid, "status", "Uid:")), core(procField(pid, "limits", "Max core file size"));
    uid_t uid = 0;
    std::string soft, hard;
    uids >> uid;
    core >> soft >> hard;
    struct stat proc {};
    EXPECT_EQ(::stat(("/proc/" + std::to_string(pid) + "/status").c_str(), &proc), 0);
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 1000 && ::kill(pid, 0) == 0; ++i) ::usleep(10000);
    EXPECT_NE(uid, 0u);
    EXPECT_EQ(proc.st_uid, 0u) << "the files of a process that may not be dumped belong to root";
    EXPECT_EQ(soft + " " + hard, "0 0");
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

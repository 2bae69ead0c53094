// A folder for runs of the built velmora-crypt from a shell.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

// The files live in root_/files, which everyone may write; the shell's
// standard streams beside it in root_/io.*. A helper process removes root_
// when the tests close their end of a pipe, which any death of theirs does;
// and the files the tests and the programs they start write are bounded.
class CliFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmora-crypt-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        dir_ = root_ / "files";
        int pipe[2];
        ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        if ((janitor_ = ::fork()) == 0) {
            ::close(pipe[1]);
            char c;
            while (::read(pipe[0], &c, 1) < 0 && errno == EINTR) {
            }
            ::execlp("rm", "rm", "-rf", root_.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(pipe[0]);
        whileAlive_ = pipe[1];
        rlimit size{};
        ::getrlimit(RLIMIT_FSIZE, &size);
        size.rlim_cur = std::min<rlim_t>(size.rlim_max, 64 << 20);
        ::setrlimit(RLIMIT_FSIZE, &size);
        ASSERT_TRUE(fs::create_directory(dir_) && ::chmod(dir_.c_str(), 0777) == 0 &&
                    ::chmod(root_.c_str(), 0755) == 0);
        write("pw", "Hemligt7\n");
    }
    void TearDown() override {
        ::close(whileAlive_);
        ::waitpid(janitor_, nullptr, 0);
    }

    static bool asRoot() { return ::geteuid() == 0; }
    std::string path(const std::string& name) const { return name.starts_with("/") ? name : (dir_ / name).string(); }
    std::string io(const std::string& stream) const { return (root_ / ("io." + stream)).string(); }
    // runnerOwns: the file belongs to whoever runs the program unprivileged.
    void write(const std::string& name, const std::string& content, mode_t mode = 0644, bool runnerOwns = false) const {
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
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename().string());
        return names;
    }
    // A shell command line run in the folder, "crypt " standing for the
    // program (run as nobody when unprivileged and the tests run as root);
    // the status and what went to standard error.
    std::pair<int, std::string> shell(std::string line, bool unprivileged = false) const {
        const std::string program =
            std::string(asRoot() && unprivileged ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "") +
            "'" + VELMORA_CRYPT_PATH + "' ";
        for (auto at = line.find("crypt "); at != std::string::npos; at = line.find("crypt ", at + program.size())) {
            line.replace(at, 6, program);
        }
        const int status = std::system(("cd '" + dir_.string() + "' && (" + line + ") 2>'" + io("err") + "'").c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(io("err"))};
    }

    fs::path root_, dir_;
    pid_t janitor_ = -1;
    int whileAlive_ = -1;
};

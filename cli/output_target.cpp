#include "output_target.h"

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

// The temporary file a signal must take with it. One at a time.
constexpr std::array<int, 4> kFatalSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
const char* volatile gTemporaryPath = nullptr;
std::array<struct sigaction, kFatalSignals.size()> gPreviousActions{};

extern "C" void removeTemporaryAndDie(int signal) {
    if (const char* path = gTemporaryPath) ::unlink(path);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void guardTemporary(const std::string& path) {
    gTemporaryPath = path.c_str();
    struct sigaction action {};
    action.sa_handler = removeTemporaryAndDie;
    sigemptyset(&action.sa_mask);
    for (const int s : kFatalSignals) sigaddset(&action.sa_mask, s);
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        ::sigaction(kFatalSignals[i], &action, &gPreviousActions[i]);
        if (gPreviousActions[i].sa_handler == SIG_IGN) ::sigaction(kFatalSignals[i], &gPreviousActions[i], nullptr);
    }
}

// Holds the fatal signals back for its lifetime: between creating the
// temporary file and guarding it, a signal would leave the file behind.
class FatalSignalsHeld {
public:
    FatalSignalsHeld() {
        sigset_t fatal;
        sigemptyset(&fatal);
        for (const int s : kFatalSignals) sigaddset(&fatal, s);
        ::pthread_sigmask(SIG_BLOCK, &fatal, &previous_);
    }
    ~FatalSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    FatalSignalsHeld(const FatalSignalsHeld&) = delete;
    FatalSignalsHeld& operator=(const FatalSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

void releaseTemporary() {
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) ::sigaction(kFatalSignals[i], &gPreviousActions[i], nullptr);
    gTemporaryPath = nullptr;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The descriptor a path names through this process's /proc/PID/fd, as
// /dev/stdout, /dev/fd/N and /proc/self/fd/N do. Symbolic links are followed
// one at a time, so that the last one, which the kernel would resolve to the
// open file itself, is recognised rather than followed.
std::optional<int> descriptorNamedBy(std::string path) {
    const std::string ownDescriptors = "/proc/" + std::to_string(::getpid()) + "/fd";
    for (int step = 0; step < 40; ++step) {
        const std::string directory = directoryOf(path);
        const std::string base = path.substr(path.rfind('/') + 1);   // npos + 1 == 0
        if (char* real = ::realpath(directory.c_str(), nullptr)) {
            const bool inOwnDescriptors = ownDescriptors == real;
            std::free(real);
            if (inOwnDescriptors) {
                if (base.empty() || base.size() > 9 || base.find_first_not_of("0123456789") != std::string::npos) break;
                return std::stoi(base);
            }
        }
        std::array<char, PATH_MAX> link{};
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) == link.size()) break;
        const std::string next(link.data(), static_cast<std::size_t>(n));
        path = next.front() == '/' ? next : directory + "/" + next;
    }
    return std::nullopt;
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

} // namespace

OutputTarget::OutputTarget(Kind kind, int fd, std::string target, std::string temporary)
    : kind_(kind), fd_(fd), target_(std::move(target)), temporary_(std::move(temporary)) {
    if (kind_ == Kind::Replace) guardTemporary(temporary_);
}

OutputTarget::~OutputTarget() { discard(); }

std::variant<std::unique_ptr<OutputTarget>, Failure> OutputTarget::open(const std::optional<std::string>& path) {
    if (!path) return std::unique_ptr<OutputTarget>(new OutputTarget(Kind::StandardOutput, STDOUT_FILENO, {}, {}));
    const std::string& named = *path;
    const std::string cannotWrite = "Kan inte skriva till " + quoted(named);

    // A descriptor already open, the shell's >> perhaps: written through, so
    // that appending stays appending and nothing is replaced.
    if (const auto namedFd = descriptorNamedBy(named)) {
        const int flags = ::fcntl(*namedFd, F_GETFL);
        if (flags < 0) return ioFailure(cannotWrite, errno);
        if ((flags & O_ACCMODE) == O_RDONLY || (flags & O_PATH) != 0) {
            return Failure{ExitStatus::IoFailure, cannotWrite + ": fildeskriptorn " + std::to_string(*namedFd)
                                                      + " är inte öppen för skrivning."};
        }
        const int fd = ::fcntl(*namedFd, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) return ioFailure(cannotWrite, errno);
        return std::unique_ptr<OutputTarget>(new OutputTarget(Kind::Direct, fd, named, {}));
    }

    std::string target = named;
    mode_t mode = newFileMode();
    std::optional<std::pair<uid_t, gid_t>> owner;
    struct stat st {};
    if (::stat(named.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return ioFailure(cannotWrite, EISDIR);
        // Replacing needs only the directory; the user must be allowed to
        // write the file itself, as the shell's > would demand.
        if (::faccessat(AT_FDCWD, named.c_str(), W_OK, AT_EACCESS) != 0) return ioFailure(cannotWrite, errno);
        if (!S_ISREG(st.st_mode)) {
            const int fd = ::open(named.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0) return ioFailure(cannotWrite, errno);
            return std::unique_ptr<OutputTarget>(new OutputTarget(Kind::Direct, fd, named, {}));
        }
        // Replace the file a symbolic link points to, not the link.
        if (char* real = ::realpath(named.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
        mode = st.st_mode & 07777;
        owner.emplace(st.st_uid, st.st_gid);
    } else if (errno != ENOENT) {
        return ioFailure(cannotWrite, errno);
    }

    const std::string directory = directoryOf(target);
    const std::string base = target.substr(target.rfind('/') + 1);   // npos + 1 == 0
    std::string temporary = directory + "/." + base.substr(0, 100) + ".velmora-XXXXXX";
    std::unique_ptr<OutputTarget> output;
    {
        const FatalSignalsHeld held;
        const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0) return ioFailure("Kan inte skapa en fil i katalogen " + quoted(directory), errno);
        output.reset(new OutputTarget(Kind::Replace, fd, target, std::move(temporary)));
    }
    const int fd = output->fd();
    // The owner first: changing it clears the set-user-ID and set-group-ID bits.
    struct stat made {};
    if (owner && ::fstat(fd, &made) == 0 && (made.st_uid != owner->first || made.st_gid != owner->second)
        && ::fchown(fd, owner->first, owner->second) != 0) {
        return ioFailure("Kan inte ge den nya filen samma ägare som " + quoted(named), errno);
    }
    if (::fchmod(fd, mode) != 0) return ioFailure("Kan inte ge den nya filen samma rättigheter som " + quoted(named), errno);
    return output;
}

std::optional<Failure> OutputTarget::commit() {
    if (!open_ || kind_ == Kind::StandardOutput) return std::nullopt;
    const std::string cannotWrite = "Kan inte skriva till " + quoted(target_);
    if (kind_ == Kind::Replace && ::fsync(fd_) != 0) {
        const int error = errno;
        discard();
        return ioFailure(cannotWrite, error);
    }
    const int closed = ::close(fd_);
    const int closeError = errno;
    fd_ = -1;
    if (closed != 0) {
        discard();
        return ioFailure(cannotWrite, closeError);
    }
    if (kind_ == Kind::Replace) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
            const int error = errno;
            discard();
            return ioFailure(cannotWrite, error);
        }
        releaseTemporary();
        // Make the new name durable too; a directory that cannot be synced is no failure.
        const int dirFd = ::open(directoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
    }
    open_ = false;
    return std::nullopt;
}

void OutputTarget::discard() {
    if (!open_) return;
    open_ = false;
    if (kind_ == Kind::StandardOutput) return;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (kind_ == Kind::Replace) {
        ::unlink(temporary_.c_str());
        releaseTemporary();
    }
}

} // namespace velmora::cli

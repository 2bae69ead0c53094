#include "cli/output_target.h"

#include "cli/output_path.h"
#include "cli/terminating_signals.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

// A hidden name beside the one replaced, with a random end no other file is likely to have.
std::string temporaryName(const std::string& replaced) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::array<unsigned char, 8> random{};
    if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) random.fill(0);
    std::string name(1, '.');
    name.append(replaced, 0, 100).append(".velmora-");
    for (const unsigned char r : random) name += kLetters[r % (sizeof kLetters - 1)];
    return name;
}

// Why no new file could be made in the directory. The directory was opened,
// so ENOENT means it takes no new files (/proc, /sys).
Failure cannotCreate(const std::string& named, const std::string& directory, bool exists, int error) {
    const std::string where = "katalogen " + quoted(directory);
    if (error == ENOENT)
        return {ExitStatus::IoFailure,
                "Kan inte skriva till " + quoted(named) + ": " + where + " tar inte emot nya filer."};
    if (error != EACCES && error != EPERM) return ioFailure("Kan inte skapa en fil i " + where, error);
    if (!exists)
        return {ExitStatus::IoFailure, "Kan inte skapa " + quoted(named) + ": " + where + " går inte att skriva i."};
    return {ExitStatus::IoFailure, "Kan inte ersätta " + quoted(named) + " säkert: " + where +
                                       " går inte att skriva i. Filen ersätts med "
                                       "en ny fil i samma katalog, så att ett avbrott aldrig lämnar den halvskriven.\n"
                                       "Skriv resultatet till standard ut i stället: velmora-crypt ... > " +
                                       quoted(named) +
                                       " (då skrivs filen direkt och kan bli halvskriven om körningen avbryts)."};
}

}  // namespace

OutputTarget::OutputTarget(Kind kind, UniqueFd fd, std::string named)
    : kind_(kind), fd_(std::move(fd)), named_(std::move(named)) {}

OutputTarget::~OutputTarget() { discard(); }

std::variant<std::unique_ptr<OutputTarget>, Failure> OutputTarget::open(const std::optional<std::string>& path) {
    if (!path)
        return std::unique_ptr<OutputTarget>(new OutputTarget(Kind::StandardOutput, UniqueFd(STDOUT_FILENO), {}));
    const std::string& named = *path;
    const std::string cannotWrite = "Kan inte skriva till " + quoted(named);
    auto resolved = resolveOutputPath(named);
    if (const int* error = std::get_if<int>(&resolved)) return ioFailure(cannotWrite, *error);
    OutputPath& target = std::get<OutputPath>(resolved);

    // A descriptor already open, the shell's >> perhaps: written through, so
    // that appending stays appending and nothing is replaced.
    if (const auto namedFd = target.ownDescriptor) {
        const int flags = ::fcntl(*namedFd, F_GETFL);
        if (flags < 0) return ioFailure(cannotWrite, errno);
        if ((flags & O_ACCMODE) == O_RDONLY || (flags & O_PATH) != 0) {
            return Failure{ExitStatus::IoFailure, cannotWrite + ": fildeskriptorn " + std::to_string(*namedFd) +
                                                      " är inte öppen för skrivning."};
        }
        UniqueFd fd(::fcntl(*namedFd, F_DUPFD_CLOEXEC, 0));
        if (fd.get() < 0) return ioFailure(cannotWrite, errno);
        return std::unique_ptr<OutputTarget>(new OutputTarget(Kind::Direct, std::move(fd), named));
    }

    // Owner and mode come from the object opened, never from another lookup.
    struct stat existing {};
    if (target.file.get() >= 0) {
        if (::fstat(target.file.get(), &existing) != 0) return ioFailure(cannotWrite, errno);
        if (!S_ISREG(existing.st_mode)) {
            return std::unique_ptr<OutputTarget>(new OutputTarget(Kind::Direct, std::move(target.file), named));
        }
    }
    std::unique_ptr<OutputTarget> output(new OutputTarget(Kind::Replace, {}, named));
    output->directory_ = std::move(target.directory);
    output->name_ = target.name;
    if (auto failure = output->create(target.shownDirectory, target.file.get() >= 0 ? &existing : nullptr))
        return *failure;
    return output;
}

// The new file in the directory, with the owner and mode of the file it
// replaces (existing), or those of any new file.
std::optional<Failure> OutputTarget::create(const std::string& shownDirectory, const struct stat* existing) {
    const int directory = directory_.get();
    {
        const TerminatingSignalsHeld held;  // a named file is guarded before any signal acts
        fd_.reset(::openat(directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        for (int attempt = 0; fd() < 0 && attempt < 100; ++attempt) {
            std::string temporary = temporaryName(name_);
            fd_.reset(
                ::openat(directory, temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (fd() >= 0) {
                temporary_ = std::move(temporary);
                guardName(directory, temporary_.c_str());
            } else if (errno != EEXIST) {
                return cannotCreate(named_, shownDirectory, existing != nullptr, errno);
            }
        }
        if (fd() < 0) return cannotCreate(named_, shownDirectory, existing != nullptr, EEXIST);
    }
    // The owner first: changing it clears the set-user-ID and set-group-ID bits.
    struct stat made {};
    if (existing != nullptr && ::fstat(fd(), &made) == 0 &&
        (made.st_uid != existing->st_uid || made.st_gid != existing->st_gid) &&
        ::fchown(fd(), existing->st_uid, existing->st_gid) != 0) {
        return ioFailure("Kan inte ge den nya filen samma ägare som " + quoted(named_), errno);
    }
    const mode_t mode = existing != nullptr ? existing->st_mode & 07777 : newFileMode();
    if (::fchmod(fd(), mode) != 0)
        return ioFailure("Kan inte ge den nya filen samma rättigheter som " + quoted(named_), errno);
    return std::nullopt;
}

std::optional<Failure> OutputTarget::commit() {
    if (!open_ || kind_ == Kind::StandardOutput) return std::nullopt;
    const std::string cannotWrite = "Kan inte skriva till " + quoted(named_);
    if (kind_ == Kind::Replace) {
        if (::fsync(fd()) != 0) {
            const int error = errno;
            discard();
            return ioFailure(cannotWrite, error);
        }
        if (auto failure = replace()) return failure;
    } else if (::close(fd_.release()) != 0) {
        const int error = errno;
        discard();
        return ioFailure(cannotWrite, error);
    }
    open_ = false;
    return std::nullopt;
}

// Names the new file beside the target, then renames it over the target,
// with the terminating signals held in between: only SIGKILL or a crash
// between the two steps can leave the hidden name behind.
std::optional<Failure> OutputTarget::replace() {
    const TerminatingSignalsHeld held;
    // Everything undone before the held signals can act.
    const auto fail = [this](int error) {
        discard();
        return ioFailure("Kan inte skriva till " + quoted(named_), error);
    };
    for (int attempt = 0; temporary_.empty() && attempt < 100; ++attempt) {
        std::string temporary = temporaryName(name_);
        if (linkUnder(temporary))
            temporary_ = std::move(temporary);
        else if (errno != EEXIST)
            return fail(errno);
    }
    if (temporary_.empty()) return fail(EEXIST);
    if (::close(fd_.release()) != 0) return fail(errno);
    if (::renameat(directory_.get(), temporary_.c_str(), directory_.get(), name_.c_str()) != 0) return fail(errno);
    forgetTemporary();
    // Make the new name durable too; a directory that cannot be synced is no failure.
    const UniqueFd directory(::openat(directory_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get());
    return std::nullopt;
}

// Links the unnamed file in under name. Through /proc, which any user may do;
// without /proc, AT_EMPTY_PATH, which needs CAP_DAC_READ_SEARCH.
bool OutputTarget::linkUnder(const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd());
    if (::linkat(AT_FDCWD, self.c_str(), directory_.get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    return errno == ENOENT && ::linkat(fd(), "", directory_.get(), name.c_str(), AT_EMPTY_PATH) == 0;
}

void OutputTarget::forgetTemporary() {
    temporary_.clear();
    releaseName();
}

void OutputTarget::discard() {
    if (!open_) return;
    open_ = false;
    if (kind_ == Kind::StandardOutput) {
        fd_.release();
        return;
    }
    fd_.reset();
    if (!temporary_.empty()) ::unlinkat(directory_.get(), temporary_.c_str(), 0);
    forgetTemporary();
}

}  // namespace velmora::cli

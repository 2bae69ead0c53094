#include "cli/output_path.h"

#include <array>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>

namespace velmora::cli {

namespace {

// "a/b/c" -> {"a/b", "c"}; "c" -> {".", "c"}; "a/" -> {"a", "."}.
std::pair<std::string, std::string> splitLast(const std::string& path) {
    const auto slash = path.rfind('/');
    std::string name = path.substr(slash + 1);  // npos + 1 == 0
    if (name.empty()) name.push_back('.');
    if (slash == std::string::npos) return {".", name};
    return {slash == 0 ? "/" : path.substr(0, slash), name};
}

bool sameObject(int a, int b) {
    struct stat sa {
    }, sb{};
    return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool isNumber(const std::string& text) {
    return text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

// A link in a sticky directory that others may write is followed only when it
// belongs to the follower or to the directory's owner: anyone could have put
// it there.
bool mayFollow(int directory, int link) {
    struct stat dir {
    }, lnk{};
    if (::fstat(directory, &dir) != 0 || ::fstat(link, &lnk) != 0) return false;
    const bool shared = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
    return !shared || lnk.st_uid == ::geteuid() || lnk.st_uid == dir.st_uid;
}

// The text of the link `name` in `directory`, read from the link opened once.
std::variant<std::string, int> linkText(int directory, const std::string& name) {
    const UniqueFd link(::openat(directory, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (link.get() < 0) return errno;
    if (!mayFollow(directory, link.get())) return EACCES;
    std::array<char, PATH_MAX> text{};
    const ssize_t n = ::readlinkat(link.get(), "", text.data(), text.size());
    if (n <= 0) return n == 0 ? ENOENT : errno;
    if (static_cast<std::size_t>(n) == text.size()) return ENAMETOOLONG;
    return std::string(text.data(), static_cast<std::size_t>(n));
}

}  // namespace

std::variant<OutputPath, int> resolveOutputPath(const std::string& path) {
    const UniqueFd ownDescriptors(::open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC));
    OutputPath result;
    auto [directoryText, name] = splitLast(path);
    result.shownDirectory = directoryText;
    for (int step = 0; step < 40; ++step) {
        const int from =
            result.directory.get() >= 0 && directoryText.front() != '/' ? result.directory.get() : AT_FDCWD;
        result.directory = UniqueFd(::openat(from, directoryText.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (result.directory.get() < 0) return errno;
        result.name = name;
        if (isNumber(name) && ownDescriptors.get() >= 0 && sameObject(result.directory.get(), ownDescriptors.get())) {
            result.ownDescriptor = std::stoi(name);
            return result;
        }
        // Opening for writing is the check the shell's > makes; with
        // O_NOFOLLOW a link fails here instead of being followed unseen.
        result.file =
            UniqueFd(::openat(result.directory.get(), name.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
        if (result.file.get() >= 0 || errno == ENOENT) return result;
        if (errno != ELOOP) return errno;
        auto text = linkText(result.directory.get(), name);
        if (const int* error = std::get_if<int>(&text)) return *error;
        std::tie(directoryText, name) = splitLast(std::get<std::string>(text));
        if (directoryText.front() == '/' || result.shownDirectory == ".") {
            result.shownDirectory = directoryText;
        } else if (directoryText != ".") {
            result.shownDirectory.append("/").append(directoryText);
        }
    }
    return ELOOP;
}

}  // namespace velmora::cli

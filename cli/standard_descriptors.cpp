#include "cli/standard_descriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace velmora::cli {

namespace {

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) >= 0 || errno != EBADF; }

}  // namespace

std::optional<Failure> checkPasswordDescriptor(int fd) {
    if (isOpen(fd)) return std::nullopt;
    return badInput("Fildeskriptor " + std::to_string(fd) +
                    " är inte öppen, så lösenordet kan inte läsas därifrån (--password-fd).");
}

void occupyClosedStandardDescriptors() {
    // open() takes the lowest free number, so each fills the gap looked at.
    constexpr int kWrongWay[] = {O_WRONLY, O_RDONLY, O_WRONLY};
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (isOpen(fd)) continue;
        const int placeholder = ::open("/dev/null", kWrongWay[fd] | O_NOCTTY);
        if (placeholder >= 0 && placeholder != fd) ::close(placeholder);
    }
}

}  // namespace velmora::cli

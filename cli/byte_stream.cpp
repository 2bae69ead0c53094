#include "cli/byte_stream.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace velmora::cli {

ByteSource::Result FdSource::read(std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n >= 0) return {static_cast<std::size_t>(n), 0};
        if (errno != EINTR) return {0, errno};
    }
}

FdSink::FdSink(int fd, bool startWriteBack) : fd_(fd), startWriteBack_(startWriteBack) {
    if (startWriteBack_) {
        const off_t at = ::lseek(fd_, 0, SEEK_CUR);
        startWriteBack_ = at >= 0;
        offset_ = at;
    }
}

namespace {

// write(2) to the last byte; 0 or the error.
int writeAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return 0;
}

}  // namespace

int FdSink::write(std::span<const std::uint8_t> bytes) {
    const int error = writeAll(fd_, bytes);
#ifdef __linux__
    if (startWriteBack_) {
        // Only a head start: a failure here shows again in the final fsync.
        if (error == 0) ::sync_file_range(fd_, offset_, static_cast<off_t>(bytes.size()), SYNC_FILE_RANGE_WRITE);
        offset_ += static_cast<std::int64_t>(bytes.size());
    }
#endif
    return error;
}

}  // namespace velmora::cli

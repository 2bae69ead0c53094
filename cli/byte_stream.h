#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::cli {

// Where the text comes from. Called once per buffer, never per character.
class ByteSource {
public:
    struct Result {
        std::size_t count = 0;  // 0 with error 0: the end of the input
        int error = 0;          // errno of a failed read
    };
    virtual ~ByteSource() = default;
    virtual Result read(std::span<std::uint8_t> buffer) = 0;
};

// Where the result goes. Returns 0, or the errno of a failed write.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual int write(std::span<const std::uint8_t> bytes) = 0;
};

// read(2) on a descriptor the caller owns.
class FdSource final : public ByteSource {
public:
    explicit FdSource(int fd) : fd_(fd) {}
    Result read(std::span<std::uint8_t> buffer) override;

private:
    int fd_;
};

// write(2) on a descriptor the caller owns, to the last byte.
class FdSink final : public ByteSink {
public:
    // startWriteBack: for a file that is synced at the end, start writing
    // each block to the disk as soon as it is written, so that the final sync
    // finds little left to do.
    explicit FdSink(int fd, bool startWriteBack = false);
    int write(std::span<const std::uint8_t> bytes) override;

private:
    int fd_;
    bool startWriteBack_;
    std::int64_t offset_ = 0;  // file offset of the next write, when starting write-back
};

}  // namespace velmora::cli

#pragma once

#include "cli/failure.h"
#include "cli/unique_fd.h"

#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <variant>

namespace velmora::cli {

// Where the result goes.
//  - Standard output: written as the run goes.
//  - A path naming an open descriptor (/dev/stdout, /dev/fd/N,
//    /proc/self/fd/N): written through that descriptor, as standard output.
//  - A regular file (new or existing): the result goes to a new, unnamed file
//    in the same directory, which is linked in over the target only on
//    commit(), so that no death of the program leaves anything behind. Where
//    the filesystem has no unnamed files, a hidden named one takes its place
//    and every signal that ends the program removes it first. An existing
//    file the user may not write is refused, and the new one gets its owner
//    and mode or the run fails.
//  - Any other existing file (a device, a named pipe): written directly.
class OutputTarget {
public:
    // path: nothing for standard output.
    static std::variant<std::unique_ptr<OutputTarget>, Failure> open(const std::optional<std::string>& path);

    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;
    ~OutputTarget();  // discards what was not committed

    int fd() const { return fd_.get(); }
    bool isStandardOutput() const { return kind_ == Kind::StandardOutput; }
    // commit() syncs the file to the disk.
    bool syncsOnCommit() const { return kind_ == Kind::Replace; }

    // The run succeeded: make the result the target's content.
    std::optional<Failure> commit();
    // The run failed: drop the result where that is possible.
    void discard();

private:
    enum class Kind { StandardOutput, Replace, Direct };
    OutputTarget(Kind kind, UniqueFd fd, std::string named);
    std::optional<Failure> create(const std::string& shownDirectory, const struct stat* existing);
    std::optional<Failure> replace();
    bool linkUnder(const std::string& name);
    void forgetTemporary();

    Kind kind_;
    UniqueFd fd_;
    std::string named_;      // the path as the user wrote it
    UniqueFd directory_;     // Kind::Replace: the directory of the file replaced
    std::string name_;       // the name replaced in it
    std::string temporary_;  // a name the new file has in it, while it has one
    bool open_ = true;
};

}  // namespace velmora::cli

#pragma once

#include "failure.h"

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <variant>

namespace velmora::cli {

// Where the result goes.
//  - Standard output: written as the run goes.
//  - A path naming an open descriptor (/dev/stdout, /dev/fd/N,
//    /proc/self/fd/N): written through that descriptor, as standard output.
//  - A regular file (new or existing): the result goes to a temporary file
//    in the same directory, which replaces the target only on commit(); a
//    failed run leaves the target as it was and removes the temporary, also
//    when SIGINT, SIGTERM, SIGHUP or SIGQUIT ends the program. An existing
//    file the user may not write is refused, and the new one gets its owner
//    and mode or the run fails.
//  - Any other existing file (a device, a named pipe): written directly.
class OutputTarget {
public:
    // path: nothing for standard output.
    static std::variant<std::unique_ptr<OutputTarget>, Failure> open(const std::optional<std::string>& path);

    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;
    ~OutputTarget();   // discards what was not committed

    int fd() const { return fd_; }
    bool isStandardOutput() const { return kind_ == Kind::StandardOutput; }
    // commit() syncs the file to the disk.
    bool syncsOnCommit() const { return kind_ == Kind::Replace; }

    // The run succeeded: make the result the target's content.
    std::optional<Failure> commit();
    // The run failed: drop the result where that is possible.
    void discard();

private:
    enum class Kind { StandardOutput, Replace, Direct };
    OutputTarget(Kind kind, int fd, std::string target, std::string temporary);

    Kind kind_;
    int fd_;
    std::string target_;     // the file the user named (symbolic links followed)
    std::string temporary_;  // Kind::Replace: the file being written
    bool open_ = true;
};

} // namespace velmora::cli

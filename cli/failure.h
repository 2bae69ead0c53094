#pragma once

#include <string>

namespace velmora::cli {

// The program's exit statuses.
enum class ExitStatus : int {
    Success = 0,
    IoFailure = 1,        // a file or descriptor could not be opened, read or written
    BadUsageOrInput = 2,  // wrong arguments, bad password, text the cipher refuses
    NoReadableText = 3,   // --repair: no reading is text; the ordinary result was written
};

// Why a step failed, with the Swedish sentence for standard error.
struct Failure {
    ExitStatus status = ExitStatus::IoFailure;
    std::string message;
};

inline Failure badInput(std::string message) { return {ExitStatus::BadUsageOrInput, std::move(message)}; }

// "what: reason" for a failed system call, the reason in Swedish.
Failure ioFailure(const std::string& what, int errorNumber);

// A Swedish description of an errno value.
std::string describeErrno(int errorNumber);

}  // namespace velmora::cli

#pragma once

#include "cli/byte_stream.h"
#include "cli/failure.h"
#include "cli/output_target.h"

#include <cstdint>
#include <span>
#include <string>

namespace velmora::cli {

// How a --repair run ends: its exit status and its lines for standard error
// (without the program's name), none when it has nothing to say.
struct RepairEnd {
    ExitStatus status = ExitStatus::Success;
    std::string message;
};

// velmora-crypt --repair: reads the whole text, looks for the text that was
// sent before a mail path changed it, and writes the repaired plain text, or
// the ordinary result where there is nothing to repair or no reading is
// text, to the output and commits it.
RepairEnd runRepair(ByteSource& input, OutputTarget& output, std::span<const std::uint8_t> passwordCodes, bool raw);

}  // namespace velmora::cli

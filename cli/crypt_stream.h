#pragma once

#include "cli/byte_stream.h"
#include "cli/failure.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace velmora::cli {

struct StreamSettings {
    bool raw = false;                    // Windows-1252 bytes in and out instead of UTF-8
    std::size_t chunkBytes = 64 * 1024;  // bytes asked of the source at a time
    // Codes handed from the reading to the writing thread at a time, a
    // batch: many reads' worth, so that handing over costs nothing.
    std::size_t batchBytes = 1024 * 1024;
    // Output kept back before anything is written: a text whose result fits
    // is refused without a single byte having gone out.
    std::size_t holdBytes = 1024 * 1024;
};

struct StreamOutcome {
    std::optional<Failure> failure;
    std::uint64_t bytesWritten = 0;  // handed to the sink before the run ended
};

// Reads the whole source, puts it through the cipher with the given password
// codes and writes the result to the sink, in memory bounded by the settings.
// Stops at the first character the cipher cannot take, at invalid UTF-8 and at
// a failed read or write.
StreamOutcome cryptStream(ByteSource& source, ByteSink& sink, std::span<const std::uint8_t> passwordCodes,
                          const StreamSettings& settings);

}  // namespace velmora::cli

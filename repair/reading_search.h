#pragma once

#include "repair/mail_channel.h"
#include "repair/repair.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velmora::repair {

struct Reading {
    std::vector<std::uint8_t> plain;  // the plain codes of the reading
    std::vector<Change> changes;
    std::uint64_t cost = 0;  // in 1/16 bit: the text model's and the channel's
};

// How wide the search looks: candidate readings kept per received position,
// and how far (in 1/16 bit) a candidate may trail the best one.
struct SearchWidth {
    std::size_t beam = 16;
    std::uint32_t margin = 30 * 16;
};

// The most likely reading of the received codes under the key stream
// `keys` (at least received.size() * 5 / 4 + 16 of them) and the channel's
// costs: a left-to-right beam search, linear in the received length. Gives
// nothing back when every reading turns to noise over a long stretch.
std::optional<Reading> searchReading(std::span<const std::uint16_t> received, std::span<const std::uint8_t> keys,
                                     const MailChannel& channel, SearchWidth width = {});

// Keys needed for a received text of `length` codes.
constexpr std::size_t keysNeeded(std::size_t length) { return length + length / 4 + 16; }

}  // namespace velmora::repair

#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::repair::model_data {

// The text model's tables, generated at build time (see model_builder.cpp).
extern const std::uint8_t kUnigramCost[64];  // in 1/16 bit, by symbol
extern const std::size_t kSlotBits;          // the table has 2^kSlotBits slots
extern const char kSlots[];                  // two bytes a slot: fingerprint, cost
extern const char kWords[];                  // the words' Bloom filter, 2^kWordBits bits

}  // namespace velmora::repair::model_data

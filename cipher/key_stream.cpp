#include "cipher/key_stream.h"

#include "cipher/cpu_dispatch.h"
#include "cipher/rtc_random.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace velmora {

namespace {

// A block holds whole password cycles and at least this many characters, so
// that short passwords still give long runs of independent key lanes.
constexpr std::size_t kMinBlock = 2048;

struct Map {
    std::uint32_t mul;
    std::uint32_t add;
};

// first, then second.
constexpr Map compose(Map first, Map second) { return {second.mul * first.mul, second.mul * first.add + second.add}; }

// jumps[k]: k steps of the generator as one map, for every skip + 1.
struct JumpTable {
    std::array<Map, 257> jumps{};
    constexpr JumpTable() {
        jumps[0] = {1, 0};
        for (std::size_t k = 1; k < jumps.size(); ++k) {
            jumps[k] = compose(jumps[k - 1], {RtcRandom::kMultiplier, RtcRandom::kIncrement});
        }
    }
};
constexpr JumpTable kJumps;

constexpr std::uint32_t applyMap(Map m, std::uint32_t state) { return (m.mul * state + m.add) & RtcRandom::kMask; }

// The keys of one block: key r comes from map r (mul[r], add[r]) applied to
// the block's first state. Each lane is independent, so this loop vectorises.
[[gnu::always_inline]] inline void fillKeysLoop(const std::uint32_t* mul, const std::uint32_t* add, std::size_t count,
                                                std::uint32_t start, std::uint8_t* keys) {
    for (std::size_t r = 0; r < count; ++r) {
        const std::uint32_t state = (mul[r] * start + add[r]) & RtcRandom::kMask;
        keys[r] = static_cast<std::uint8_t>(RtcRandom::keyOf(state));
    }
}

[[gnu::always_inline]] inline void xorKeysLoop(std::uint8_t* codes, const std::uint8_t* keys, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t code = codes[i];
        const std::uint8_t mixed = static_cast<std::uint8_t>(code ^ keys[i]);
        // A code equal to its key passes unchanged, so no output is ever 0.
        codes[i] = mixed != 0 ? mixed : code;
    }
}

// Given maps [0, n] (n: one cycle), the maps up to block (a multiple of n):
// the maps [0, length] doubled at a time, map length + j being the first
// length steps and then map j, as whole cycles repeat the same skips. Each
// position is an independent lane, so the loops vectorise.
[[gnu::always_inline]] inline void extendByCyclesLoop(std::uint32_t* mul, std::uint32_t* add, std::size_t n,
                                                      std::size_t block) {
    for (std::size_t length = n; length < block;) {
        const std::size_t more = std::min(length, block - length);
        const Map first{mul[length], add[length]};
        const std::uint32_t* __restrict fromMul = mul + 1;
        const std::uint32_t* __restrict fromAdd = add + 1;
        std::uint32_t* __restrict toMul = mul + length + 1;
        std::uint32_t* __restrict toAdd = add + length + 1;
        for (std::size_t j = 0; j < more; ++j) {
            toMul[j] = fromMul[j] * first.mul;
            toAdd[j] = fromMul[j] * first.add + fromAdd[j];
        }
        length += more;
    }
}

// The loops above, each vectorised for the baseline and for AVX2.
constexpr auto& fillKeys = cpu::autoVectorised<fillKeysLoop>;
constexpr auto& xorKeys = cpu::autoVectorised<xorKeysLoop>;
constexpr auto& extendByCycles = cpu::autoVectorised<extendByCyclesLoop>;

}  // namespace

KeyStream::KeyStream(std::span<const std::uint8_t> passwordCodes) : KeyStream(passwordCodes, stateAfterRestart()) {}

KeyStream::KeyStream(std::span<const std::uint8_t> passwordCodes, std::uint32_t startState) {
    const std::size_t n = passwordCodes.size();
    if (n == 0) throw std::invalid_argument("KeyStream: empty password");

    const std::size_t cycles = (kMinBlock + n - 1) / n;
    const std::size_t block = cycles * n;

    // After character i the password has been rotated right i + 1 times, so
    // its first character is the (i mod n)-th from the end.
    mul_.resize(block + 1);
    add_.resize(block + 1);
    // One password cycle step by step, the rest from it in independent
    // lanes: building takes little next to even a short text.
    Map m{1, 0};
    for (std::size_t r = 0; r <= n; ++r) {
        mul_[r] = m.mul;
        add_[r] = m.add;
        if (r == n) break;
        const unsigned skip = passwordCodes[n - 1 - r];
        m = compose(m, kJumps.jumps[skip + 1u]);
    }
    extendByCycles(mul_.data(), add_.data(), n, block);
    blockJump_ = {mul_[block], add_[block]};
    keys_.resize(block);
    blockStart_ = RtcRandom::step(startState & RtcRandom::kMask);
    refillKeys();
}

void KeyStream::refillKeys() {
    fillKeys(mul_.data(), add_.data(), keys_.size(), blockStart_, keys_.data());
    position_ = 0;
}

void KeyStream::apply(std::span<std::uint8_t> codes) {
    std::size_t done = 0;
    while (done < codes.size()) {
        if (position_ == keys_.size()) {
            blockStart_ = applyMap({blockJump_.mul, blockJump_.add}, blockStart_);
            refillKeys();
        }
        const std::size_t count = std::min(codes.size() - done, keys_.size() - position_);
        xorKeys(codes.data() + done, keys_.data() + position_, count);
        done += count;
        position_ += count;
    }
}

std::uint32_t KeyStream::generatorState() const { return applyMap({mul_[position_], add_[position_]}, blockStart_); }

}  // namespace velmora

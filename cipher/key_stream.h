#pragma once

#include "secrets/wiping_allocator.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

// The cipher on single-byte codes, fast path. The key stream depends only on
// the password, so it is computed in blocks: the generator state at each
// position of a block is one affine map of the block's starting state, and
// all those maps are precomputed once. Input may come in pieces of any size;
// the stream goes on where the last piece ended.
class KeyStream {
public:
    // passwordCodes: the password's codes (at least one; a zero code skips
    // nothing). startState: the generator state before the first key draw.
    explicit KeyStream(std::span<const std::uint8_t> passwordCodes, std::uint32_t startState);

    // Same, starting right after the restart with -1.
    explicit KeyStream(std::span<const std::uint8_t> passwordCodes);

    // Transforms codes in place: c ^ key, or c itself where that would be 0.
    void apply(std::span<std::uint8_t> codes);

    // The generator state after the characters so far plus the trailing
    // skip and key draw the algorithm makes after each character.
    std::uint32_t generatorState() const;

private:
    struct Affine {
        std::uint32_t mul;
        std::uint32_t add;
    };
    void refillKeys();

    // State at block position r as mul_[r] * first + add_[r] (mod 2^24), where
    // first is the state of the block's first key; entry [block] leads to the
    // next block. Kept as two arrays so the key loop vectorises.
    // They and the keys follow from the password: wiped when given back.
    SecretVector<std::uint32_t> mul_;
    SecretVector<std::uint32_t> add_;
    Affine blockJump_{1, 0};
    SecretBytes keys_;              // keys of the current block
    std::uint32_t blockStart_ = 0;  // generator state for the current block's first key
    std::size_t position_ = 0;      // next key within the current block
};

}  // namespace velmora

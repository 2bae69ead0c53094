#pragma once

#include <cstdint>

namespace velmora {

// The runtime's pseudo-random generator: a 24-bit linear congruential
// generator whose draws are state / 2^24 in single precision. Texts are
// only interchangeable between programs that draw exactly these values.
class RtcRandom {
public:
    static constexpr std::uint32_t kMask = 0xFFFFFF;
    static constexpr std::uint32_t kMultiplier = 0x43FD43FD;
    static constexpr std::uint32_t kIncrement = 0xC39EC3;
    static constexpr std::uint32_t kInitialState = 0x50000;

    // One step of the generator.
    static constexpr std::uint32_t step(std::uint32_t state) { return (state * kMultiplier + kIncrement) & kMask; }

    // The state a restart with the negative number x selects (before the
    // restart's own draw).
    static std::uint32_t seedFor(float x);

    // The draw for a state: exact, since 24 bits fit the mantissa.
    static float valueOf(std::uint32_t state) { return static_cast<float>(state) / 16777216.0f; }

    // Key = Int(r * 255) + 1 for r = state / 2^24, computed exactly.
    static constexpr int keyOf(std::uint32_t state) { return static_cast<int>((state * 255u) >> 24) + 1; }

    // rtcRandomNext with no argument: steps and returns the next value.
    float next();

    // rtcRandomNext with an argument: a negative number restarts the
    // sequence at the point it selects and returns that point's draw; zero
    // repeats the last value; a positive number is the same as no argument.
    float next(float x);

    std::uint32_t state() const { return state_; }
    void setState(std::uint32_t state) { state_ = state & kMask; }

private:
    std::uint32_t state_ = kInitialState;
};

// The generator state right after the command's restart with -1, whose own
// value is discarded: the first key of every run is drawn from here.
std::uint32_t stateAfterRestart();

}  // namespace velmora

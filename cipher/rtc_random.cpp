#include "cipher/rtc_random.h"

#include <cstring>

namespace velmora {

std::uint32_t RtcRandom::seedFor(float x) {
    // The float's bits (memcpy: the WebAssembly build's library lacks std::bit_cast).
    std::uint32_t bits;
    static_assert(sizeof bits == sizeof x);
    std::memcpy(&bits, &x, sizeof bits);
    return ((bits & kMask) + (bits >> 24)) & kMask;
}

float RtcRandom::next() {
    state_ = step(state_);
    return valueOf(state_);
}

float RtcRandom::next(float x) {
    if (x < 0.0f) {
        state_ = seedFor(x);
        return next();
    }
    if (x == 0.0f) return valueOf(state_);
    return next();
}

std::uint32_t stateAfterRestart() { return RtcRandom::step(RtcRandom::seedFor(-1.0f)); }

}  // namespace velmora

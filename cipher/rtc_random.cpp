#include "rtc_random.h"

#include <bit>

namespace velmora {

std::uint32_t RtcRandom::seedFor(float x) {
    const auto bits = std::bit_cast<std::uint32_t>(x);
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

std::uint32_t stateAfterRestart() {
    return RtcRandom::step(RtcRandom::seedFor(-1.0f));
}

} // namespace velmora

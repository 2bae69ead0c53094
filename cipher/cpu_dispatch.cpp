#include "cipher/cpu_dispatch.h"

#include <atomic>

namespace velmora::cpu {

namespace {

Level detect() {
#ifdef VELMORA_X86_64
    __builtin_cpu_init();
    // The AVX2 versions use POPCNT too, which every AVX2 processor has; asking costs nothing.
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") ? Level::Avx2 : Level::Sse2;
#else
    return Level::Portable;
#endif
}

Level detected() {
    static const Level level = detect();
    return level;
}

std::atomic<Level>& inForce() {
    static std::atomic<Level> level{detected()};
    return level;
}

}  // namespace

std::vector<Level> availableLevels() {
    std::vector<Level> levels;
    for (const Level level : {Level::Portable, Level::Sse2, Level::Avx2}) {
        if (level <= detected()) levels.push_back(level);
    }
    return levels;
}

Level levelInForce() { return inForce().load(std::memory_order_relaxed); }

bool useLevel(Level level) {
    if (level > detected()) return false;
    inForce().store(level, std::memory_order_relaxed);
    return true;
}

}  // namespace velmora::cpu

#pragma once

#include <cstddef>
#include <string.h>

namespace velmora {

// Overwrites memory that held a secret; unlike memset, never optimised away.
inline void wipeBytes(void* data, std::size_t size) noexcept { ::explicit_bzero(data, size); }

}  // namespace velmora

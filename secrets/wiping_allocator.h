#pragma once

#include "secrets/wipe.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace velmora {

// Hands memory out as Base does and wipes it before giving it back, so that
// the old buffer a growing container leaves behind holds nothing either.
template <class T, class Base = std::allocator<T>>
class WipingAllocator {
public:
    using value_type = T;
    template <class U>
    struct rebind {
        using other = WipingAllocator<U, typename std::allocator_traits<Base>::template rebind_alloc<U>>;
    };

    WipingAllocator() = default;
    template <class U, class B>
    WipingAllocator(const WipingAllocator<U, B>& other) noexcept : base_(other.base()) {}

    T* allocate(std::size_t n) { return std::allocator_traits<Base>::allocate(base_, n); }
    void deallocate(T* p, std::size_t n) noexcept {
        wipeBytes(p, n * sizeof(T));
        std::allocator_traits<Base>::deallocate(base_, p, n);
    }
    const Base& base() const noexcept { return base_; }

    friend bool operator==(const WipingAllocator& a, const WipingAllocator& b) noexcept { return a.base_ == b.base_; }

private:
    [[no_unique_address]] Base base_{};
};

// Containers for a password and what is derived from it.
template <class T>
using SecretVector = std::vector<T, WipingAllocator<T>>;
using SecretBytes = SecretVector<std::uint8_t>;

}  // namespace velmora

#pragma once

// How vectorised code is chosen at run time, the one way for the whole project.
//
// A vectorised kernel is a cpu::Kernel: versions of one function, each written
// for an instruction-set level. The portable version is plain C++ and builds
// everywhere; on x86-64 a kernel may add an SSE2 and an AVX2 version. SSE2 is
// part of x86-64's baseline, so SSE2 code is compiled unconditionally there
// (under VELMORA_X86_64) and runs on every x86-64 processor; it is a level of
// its own only so that tests can still run the portable versions. AVX2 code
// goes in functions marked VELMORA_TARGET_AVX2: only they may use AVX2 (and
// POPCNT), the rest of the program keeps the baseline, with g++ and clang
// alike. A loop that the compiler vectorises by itself is written once, as an
// always-inline function, and cpu::autoVectorised builds its portable and AVX2
// versions. The processor's level is detected once, at first need; each call
// of a kernel runs the best version at or below the level in force, a relaxed
// atomic load, so that tests can lower the level with useLevel() and run every
// version on the same inputs. Other processors, and WebAssembly, run the
// portable versions.

#include <type_traits>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VELMORA_X86_64 1
#define VELMORA_TARGET_AVX2 __attribute__((target("avx2,popcnt")))
#endif

namespace velmora::cpu {

// Instruction-set levels, each including the ones before it.
enum class Level { Portable, Sse2, Avx2 };

// The levels this processor runs, lowest first.
std::vector<Level> availableLevels();

// The level whose versions kernels run: the best available unless useLevel()
// chose another.
Level levelInForce();

// Makes kernels run the versions for level from their next call on. Returns
// false, and changes nothing, for a level this processor lacks.
bool useLevel(Level level);

template <class Signature>
struct Kernel;

template <class Result, class... Args>
struct Kernel<Result(Args...)> {
    using Function = Result(Args...);
    Function* portable;
    Function* sse2 = nullptr;
    Function* avx2 = nullptr;

    // The best version given at or below the level in force.
    Function* chosen() const {
        const Level level = levelInForce();
        if (avx2 != nullptr && level >= Level::Avx2) return avx2;
        if (sse2 != nullptr && level >= Level::Sse2) return sse2;
        return portable;
    }

    Result operator()(Args... args) const { return chosen()(args...); }
};

namespace detail {

template <auto body, class Signature = std::remove_pointer_t<decltype(body)>>
struct Builds;

// body inlined into one function per level, so that each copy is vectorised
// for its own instruction set.
template <auto body, class Result, class... Args>
struct Builds<body, Result(Args...)> {
    static Result portable(Args... args) { return body(args...); }
#ifdef VELMORA_X86_64
    VELMORA_TARGET_AVX2 static Result avx2(Args... args) { return body(args...); }
    static constexpr Kernel<Result(Args...)> kernel{.portable = portable, .avx2 = avx2};
#else
    static constexpr Kernel<Result(Args...)> kernel{.portable = portable};
#endif
};

}  // namespace detail

// A kernel made of one plain C++ function, body, declared
// [[gnu::always_inline]] so that every version inlines it: compiled for the
// baseline (which on x86-64 already vectorises with SSE2) and for AVX2.
template <auto body>
constexpr const auto& autoVectorised = detail::Builds<body>::kernel;

}  // namespace velmora::cpu

// The text cipher's speed: the literal algorithm, the fast path and a plain
// memcpy of the same buffer, in characters per second, on mail-like text.
#include "bench/mail_text.h"
#include "cipher/key_stream.h"
#include "cipher/rtc_random.h"
#include "cipher/text_cipher.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::u16string_view kPassword = u"Hemligt7";

const std::u16string& textOf(std::int64_t length) {
    static std::u16string small, large;
    auto& text = length <= (1 << 16) ? small : large;
    if (text.size() != static_cast<std::size_t>(length))
        text = velmora::bench::mailText(static_cast<std::size_t>(length));
    return text;
}

void setRate(benchmark::State& state, std::int64_t characters) {
    state.counters["chars/s"] =
        benchmark::Counter(static_cast<double>(characters * state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(characters * state.iterations() * 2);
}

void Reference(benchmark::State& state) {
    const auto& text = textOf(state.range(0));
    for (auto _ : state) {
        velmora::RtcRandom random;
        random.next(-1.0f);
        auto result = velmora::cryptTextReference(random, text, kPassword);
        benchmark::DoNotOptimize(result);
    }
    setRate(state, state.range(0));
}

void FastPath(benchmark::State& state) {
    const auto& text = textOf(state.range(0));
    for (auto _ : state) {
        auto result = velmora::cryptText(text, kPassword);
        benchmark::DoNotOptimize(result);
    }
    setRate(state, state.range(0));
}

// The key stream alone on single-byte codes, as the command-line tool uses it.
void KeyStreamOnCodes(benchmark::State& state) {
    std::vector<std::uint8_t> codes(static_cast<std::size_t>(state.range(0)), 'e');
    const std::uint8_t password[] = {'H', 'e', 'm', 'l', 'i', 'g', 't', '7'};
    for (auto _ : state) {
        velmora::KeyStream stream(password);
        stream.apply(codes);
        benchmark::DoNotOptimize(codes.data());
    }
    setRate(state, state.range(0));
}

void Memcpy(benchmark::State& state) {
    const auto& text = textOf(state.range(0));
    std::u16string copy(text.size(), u'\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), text.data(), text.size() * sizeof(char16_t));
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    setRate(state, state.range(0));
}

constexpr std::int64_t kSmall = 64 << 10;
constexpr std::int64_t kLarge = 64 << 20;

}  // namespace

BENCHMARK(Reference)->Arg(kSmall)->Unit(benchmark::kMillisecond);
BENCHMARK(Reference)->Arg(kLarge)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(FastPath)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(KeyStreamOnCodes)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(Memcpy)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

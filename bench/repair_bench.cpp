// The repair's speed: a 10 KB mail with 20 damaged places, a mebibyte after
// an SMTP path, one with no damage (the exact check alone) and hostile
// megabytes, on which the work must stay bounded.
#include "cipher/text_cipher.h"
#include "mailsim/mail_corpus.h"
#include "mailsim/mail_damage.h"
#include "repair/repair.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::u16string kPassword = u"Hemligt7";

std::u16string mailsOf(std::size_t length) {
    std::u16string text;
    for (const auto& mail : velmora::mailtest::mailCorpus(length / 300 + 10, 31)) text += mail;
    text.resize(length);
    return text;
}

std::u16string enciphered(const std::u16string& text) {
    return std::get<std::u16string>(velmora::cryptText(text, kPassword));
}

// The first `places` lone CR or LF of the enciphered text made CR LF.
std::u16string withLineEndsChanged(const std::u16string& sent, int places) {
    std::u16string out;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const bool lone = (sent[i] == u'\r' && (i + 1 == sent.size() || sent[i + 1] != u'\n')) ||
                          (sent[i] == u'\n' && (i == 0 || sent[i - 1] != u'\r'));
        if (lone && places-- > 0) {
            out += u"\r\n";
        } else {
            out += sent[i];
        }
    }
    return out;
}

void run(benchmark::State& state, const std::u16string& received) {
    for (auto _ : state) benchmark::DoNotOptimize(velmora::repair::repairText(received, kPassword));
    state.counters["chars/s"] = benchmark::Counter(
        static_cast<double>(received.size()) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void TenKilobyteMailTwentyPlaces(benchmark::State& state) {
    static const auto received = withLineEndsChanged(enciphered(mailsOf(10000)), 20);
    run(state, received);
}

void MebibyteAfterSmtp(benchmark::State& state) {
    static const auto received = velmora::mailtest::lineEndsCrLf(enciphered(mailsOf(1 << 20)));
    run(state, received);
}

void MebibyteUndamaged(benchmark::State& state) {
    static const auto received = enciphered(mailsOf(1 << 20));
    run(state, received);
}

void HostileMegabyte(benchmark::State& state) {
    static const char16_t codes[] = {u'\n', 0x01, u'a', 0x81};
    const std::u16string received(1 << 20, codes[state.range(0)]);
    std::u16string lineEnds;
    if (state.range(0) == 0)
        while (lineEnds.size() < (1u << 20)) lineEnds += u"\r\n";
    run(state, state.range(0) == 0 ? lineEnds : received);
}

}  // namespace

BENCHMARK(TenKilobyteMailTwentyPlaces)->Unit(benchmark::kMillisecond);
BENCHMARK(MebibyteAfterSmtp)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(MebibyteUndamaged)->Unit(benchmark::kMillisecond)->Iterations(3);
// CR LF, a control character, one letter, a C1 code: each a megabyte of it.
BENCHMARK(HostileMegabyte)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();

// Feeds arbitrary bytes to the streaming UTF-8 reader, whole and cut into
// pieces chosen by the input itself, and aborts when an invariant fails:
//  - the pieces change nothing: same characters, same verdict, same offset;
//  - neither do the vector runs of the command-line tool, in every version
//    this processor runs, nor do they write beyond the room they are given;
//  - accepted input re-encodes to exactly its bytes (no overlong form, no
//    surrogate, nothing beyond U+10FFFF slips through);
//  - a refusal names an offset inside the input, and everything before that
//    offset is valid UTF-8 on its own.
#include "cipher/cp1252.h"
#include "cipher/cpu_dispatch.h"
#include "cli/utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Collector {
    std::u32string text;
    bool ascii(const std::uint8_t* bytes, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            if (bytes[i] >= 0x80) std::abort();
            text += static_cast<char32_t>(bytes[i]);
        }
        return true;
    }
    bool codePoint(char32_t ch) {
        if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) std::abort();
        text += ch;
        return true;
    }
};

// Takes what the vector runs decode first, as the command-line tool does,
// and turns their Windows-1252 codes back into characters.
struct RunCollector : Collector {
    std::size_t run(const std::uint8_t* bytes, std::size_t n) {
        std::vector<std::uint8_t> codes(n + 32, 0xEE);
        const velmora::utf8::Latin1Run taken = velmora::utf8::decodeLatin1Run(bytes, n, codes.data());
        if (taken.consumed > n || taken.written > taken.consumed) std::abort();
        for (std::size_t i = n; i < codes.size(); ++i)
            if (codes[i] != 0xEE) std::abort();
        for (std::size_t i = 0; i < taken.written; ++i) text += velmora::cp1252::toUnicode(codes[i]);
        return taken.consumed;
    }
};

struct Outcome {
    std::u32string text;
    std::optional<velmora::utf8::Error> error;
};

// Decodes data in pieces; piece sizes come from a small generator seeded by
// seed (0: the whole input at once).
template <class Sink = Collector>
Outcome decode(const std::uint8_t* data, std::size_t size, std::uint32_t seed) {
    velmora::utf8::Decoder decoder(false);
    Sink sink;
    std::size_t at = 0;
    std::uint32_t state = seed;
    while (at < size) {
        std::size_t piece = size - at;
        if (seed != 0) {
            state = state * 1103515245u + 12345u;
            piece = std::min<std::size_t>(piece, 1 + (state >> 16) % 9);
        }
        if (decoder.feed({data + at, piece}, sink) != velmora::utf8::Decoder::Status::Ok) {
            return {sink.text, decoder.error()};
        }
        at += piece;
    }
    if (decoder.finish() != velmora::utf8::Decoder::Status::Ok) return {sink.text, decoder.error()};
    return {sink.text, std::nullopt};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Outcome whole = decode(data, size, 0);
    const std::uint32_t seed = size > 0 ? 1u + data[0] : 1u;
    const Outcome pieces = decode(data, size, seed);
    if (whole.text != pieces.text || whole.error != pieces.error) std::abort();
    for (const auto level : velmora::cpu::availableLevels()) {
        velmora::cpu::useLevel(level);
        // Whole, so that the vector loops get long runs, and in pieces.
        for (const std::uint32_t cut : {0u, seed}) {
            const Outcome runs = decode<RunCollector>(data, size, cut);
            if (runs.text != whole.text || runs.error != whole.error) std::abort();
        }
    }

    if (!whole.error) {
        std::string again;
        velmora::utf8::append(whole.text, again);
        if (again.size() != size ||
            (size > 0 && again.compare(0, size, reinterpret_cast<const char*>(data), size) != 0)) {
            std::abort();
        }
        return 0;
    }
    if (whole.error->offset >= size) std::abort();
    const Outcome prefix = decode(data, static_cast<std::size_t>(whole.error->offset), 0);
    if (prefix.error || prefix.text != whole.text) std::abort();
    return 0;
}

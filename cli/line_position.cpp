#include "line_position.h"

namespace velmora::cli {

void LinePosition::advance(std::span<const std::uint8_t> codes) {
    if (codes.empty()) return;
    // Line ends: every \r, and every \n that does not follow a \r. Counted
    // without branches, so that the loop runs on whole vectors.
    const auto cr = [](std::uint8_t c) -> std::size_t { return c == '\r'; };
    const auto lf = [](std::uint8_t c) -> std::size_t { return c == '\n'; };
    std::size_t ends = cr(codes[0]) + (lf(codes[0]) & (afterCr_ ? 0u : 1u));
    for (std::size_t i = 1; i < codes.size(); ++i) ends += cr(codes[i]) + (lf(codes[i]) & (1u - cr(codes[i - 1])));
    line_ += ends;

    // The column counts from the last line end, which in text is near.
    std::size_t last = codes.size();
    while (last > 0 && codes[last - 1] != '\r' && codes[last - 1] != '\n') --last;
    column_ = last == 0 ? column_ + codes.size() : codes.size() - last;
    afterCr_ = codes.back() == '\r';
}

} // namespace velmora::cli

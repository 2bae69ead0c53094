#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::mailtest {

// Mails as people write them, in Swedish and English: a greeting, a few
// paragraphs (some long lines, some wrapped by hand), figures, dates and
// prices, now and then a quoted reply or a list, a signature; CR LF line
// ends. The same seed gives the same mails.
std::vector<std::u16string> mailCorpus(std::size_t count, std::uint64_t seed);

// Passwords as people choose them.
std::u16string passwordFor(std::uint64_t seed);

}  // namespace velmora::mailtest

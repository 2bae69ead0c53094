#pragma once

#include <string_view>

namespace velmora {

// The password as the cipher takes it: leading and trailing blanks (U+0020
// only, as the runtime's trim) removed; blanks inside stay.
std::u16string_view trimBlanks(std::u16string_view text);

}  // namespace velmora

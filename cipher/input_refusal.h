#pragma once

#include "cipher/cipher_error.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Why a selection and a password as typed cannot go through the cipher, the
// first offence placed where the user sees it: a text character by line and
// column of the whole text, a password character by its place in the
// password as typed (leading blanks counted). The password is checked as the
// cipher takes it, blanks around it removed. Nothing when both can be carried.
// textBeforeSelection is asked for only when a text character is refused:
// reading a long text costs time.
std::optional<CipherError> inputRefusal(std::u16string_view selection, std::u16string_view typedPassword,
                                        const std::function<std::u16string()>& textBeforeSelection);

}  // namespace velmora

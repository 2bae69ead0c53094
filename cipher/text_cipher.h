#pragma once

#include "cipher/cipher_error.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velmora {

class RtcRandom;

// The result of a run: the transformed text, or why nothing was done.
using CryptResult = std::variant<std::u16string, CipherError>;

// Checks that a text and a password can go through the cipher: a password
// of at least one character, and every character of both inside the code
// page and not NUL. Reports the first offence (password first).
std::optional<CipherError> checkCipherInput(std::u16string_view text, std::u16string_view password);

// The text cipher, fast path. Acts as if the generator had just been
// restarted with -1: the output depends only on the text and the password.
// The same call with the same password undoes itself.
CryptResult cryptText(std::u16string_view text, std::u16string_view password);

// The same transformation drawing from the caller's generator, which is
// left where the literal algorithm leaves it.
CryptResult cryptText(RtcRandom& random, std::u16string_view text, std::u16string_view password);

// The literal algorithm, draw by draw and rotation by rotation: the oracle
// for the tests and the baseline for the benchmark.
CryptResult cryptTextReference(RtcRandom& random, std::u16string_view text, std::u16string_view password);

}  // namespace velmora

#pragma once

#include <cstddef>
#include <string>

namespace velmora {

// Why a text or a password cannot be put through the cipher. A value the
// caller shows; the cipher never transforms half of a text.
struct CipherError {
    enum class Kind {
        EmptyPassword,     // the password has no characters
        UnmappableInText,  // a text character outside the code page
        NulInText,         // a text character with code 0
        UnmappableInPassword,
        NulInPassword,
    };

    Kind kind = Kind::EmptyPassword;
    char32_t character = 0;  // the offending character (a whole code point)
    std::size_t offset = 0;  // its index in the UTF-16 input
    std::size_t line = 0;    // counted from 1; \r\n, lone \r and lone \n end a line
    std::size_t column = 0;  // counted from 1, in characters

    // A Swedish sentence for the user, UTF-8.
    std::string message() const;

    friend bool operator==(const CipherError&, const CipherError&) = default;
};

}  // namespace velmora

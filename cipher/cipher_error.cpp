#include "cipher/cipher_error.h"

#include <cstdio>

namespace velmora {

namespace {

std::string codePointName(char32_t ch) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(ch));
    return buffer;
}

std::string where(const CipherError& e) {
    return "på rad " + std::to_string(e.line) + ", kolumn " + std::to_string(e.column);
}

}  // namespace

std::string CipherError::message() const {
    switch (kind) {
    case Kind::EmptyPassword: return "Lösenordet är tomt.";
    case Kind::UnmappableInText:
        return "Texten innehåller tecknet " + codePointName(character) + " " + where(*this) +
               ", som inte finns i teckentabellen Windows-1252 och inte kan krypteras.";
    case Kind::NulInText:
        return "Texten innehåller nolltecknet " + codePointName(character) + " " + where(*this) +
               ", som inte kan krypteras.";
    case Kind::UnmappableInPassword:
        return "Lösenordet innehåller tecknet " + codePointName(character) + " " + where(*this) +
               ", som inte finns i teckentabellen Windows-1252.";
    case Kind::NulInPassword:
        return "Lösenordet innehåller nolltecknet " + codePointName(character) + " " + where(*this) + ".";
    }
    return {};
}

}  // namespace velmora

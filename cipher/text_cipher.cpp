#include "cipher/text_cipher.h"

#include "cipher/cp1252.h"
#include "cipher/key_stream.h"
#include "cipher/rtc_random.h"
#include "cipher/text_position.h"
#include "secrets/wiping_allocator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace velmora {

namespace {

CipherError offence(CipherError::Kind kind, std::u16string_view text, std::size_t offset) {
    const TextPosition pos = locate(text, offset);
    return CipherError{kind, codePointAt(text, offset), offset, pos.line, pos.column};
}

// Mail text is nearly all ASCII and Latin-1 letters, whose codes are their
// own values: narrow it in short branch-free (vectorised) runs, and give
// only a run that holds anything else to the careful per-character loop.
constexpr std::size_t kRun = 32;

bool narrowPlain(const char16_t* text, std::size_t count, std::uint8_t* out) {
    std::uint16_t strange = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t c = text[i];
        // Not plain: 0 and everything above 0xFF (lowered >= 0xFF, with 0
        // wrapping round to 0xFFFF), and 0x80..0x9F.
        const auto lowered = static_cast<std::uint16_t>(c - 1u);
        const auto inC1 = static_cast<std::uint16_t>(lowered - 0x7Fu);
        strange |= static_cast<std::uint16_t>((inC1 < 0x20u) | (lowered >= 0xFFu));
        out[i] = static_cast<std::uint8_t>(c);
    }
    return strange == 0;
}

// Codes of a whole text into out, or the first offence (offset within text).
std::optional<CipherError> toCodes(std::u16string_view text, bool isPassword, std::uint8_t* out) {
    for (std::size_t run = 0; run < text.size(); run += kRun) {
        const std::size_t count = std::min(kRun, text.size() - run);
        if (narrowPlain(text.data() + run, count, out + run)) continue;
        for (std::size_t i = run; i < run + count; ++i) {
            const auto code = cp1252::fromUnicode(text[i]);
            if (!code) {
                return offence(
                    isPassword ? CipherError::Kind::UnmappableInPassword : CipherError::Kind::UnmappableInText, text,
                    i);
            }
            if (*code == 0) {
                return offence(isPassword ? CipherError::Kind::NulInPassword : CipherError::Kind::NulInText, text, i);
            }
            out[i] = *code;
        }
    }
    return std::nullopt;
}

std::optional<CipherError> checkPassword(std::u16string_view password, SecretBytes& codes) {
    if (password.empty()) return CipherError{};
    codes.resize(password.size());
    return toCodes(password, true, codes.data());
}

// The character of every code, for the widening loop.
constexpr auto kUnicode = [] {
    std::array<char16_t, 256> table{};
    for (unsigned code = 0; code < 256; ++code) table[code] = cp1252::toUnicode(static_cast<std::uint8_t>(code));
    return table;
}();

// Characters per piece: the codes of a piece stay in the first-level cache.
constexpr std::size_t kPiece = 8192;

}  // namespace

std::optional<CipherError> checkCipherInput(std::u16string_view text, std::u16string_view password) {
    SecretBytes passwordCodes;
    if (auto error = checkPassword(password, passwordCodes)) return error;
    std::array<std::uint8_t, kPiece> codes;
    for (std::size_t at = 0; at < text.size(); at += kPiece) {
        const auto piece = text.substr(at, kPiece);
        if (auto error = toCodes(piece, false, codes.data())) return offence(error->kind, text, at + error->offset);
    }
    return std::nullopt;
}

CryptResult cryptText(std::u16string_view text, std::u16string_view password) {
    RtcRandom random;
    random.setState(stateAfterRestart());
    return cryptText(random, text, password);
}

CryptResult cryptText(RtcRandom& random, std::u16string_view text, std::u16string_view password) {
    SecretBytes passwordCodes;
    if (auto error = checkPassword(password, passwordCodes)) return *error;

    KeyStream stream(passwordCodes, random.state());
    // Built piece by piece from a buffer that stays in the cache: cheaper
    // than clearing a whole result first and writing it a second time.
    std::u16string result;
    result.reserve(text.size());
    std::array<std::uint8_t, kPiece> codes;
    std::array<char16_t, kPiece> characters;
    for (std::size_t at = 0; at < text.size(); at += kPiece) {
        const auto piece = text.substr(at, kPiece);
        if (auto error = toCodes(piece, false, codes.data())) return offence(error->kind, text, at + error->offset);
        stream.apply(std::span(codes.data(), piece.size()));
        for (std::size_t i = 0; i < piece.size(); ++i) characters[i] = kUnicode[codes[i]];
        result.append(characters.data(), piece.size());
    }
    random.setState(stream.generatorState());
    return result;
}

CryptResult cryptTextReference(RtcRandom& random, std::u16string_view text, std::u16string_view passwordIn) {
    if (auto error = checkCipherInput(text, passwordIn)) return *error;

    const auto codeOf = [](char16_t c) { return static_cast<int>(*cp1252::fromUnicode(c)); };
    const auto drawKey = [&random] {
        // Int(r * 255) + 1, the product formed in double precision.
        return static_cast<std::int32_t>(std::floor(static_cast<double>(random.next()) * 255.0)) + 1;
    };

    std::u16string password(passwordIn);
    const auto passwordLength = static_cast<std::int32_t>(password.size());
    const auto textLength = static_cast<std::int32_t>(text.size());
    std::u16string result;

    std::int32_t key = drawKey();
    for (std::int32_t i = 1; i <= textLength; ++i) {
        const char16_t ch = text[static_cast<std::size_t>(i - 1)];
        auto code = static_cast<std::uint8_t>(codeOf(ch) & 0xFF);
        code = static_cast<std::uint8_t>(code ^ (key & 0xFF));
        if (code == 0) code = static_cast<std::uint8_t>(codeOf(ch) & 0xFF);
        result += cp1252::toUnicode(code);

        // Password = Right(Password, 1) & Left(Password, PasswordLength - 1)
        std::u16string rotated = password.substr(static_cast<std::size_t>(passwordLength - 1), 1);
        rotated.append(password, 0, static_cast<std::size_t>(passwordLength - 1));
        password = std::move(rotated);
        const auto skipCount = static_cast<std::int32_t>(static_cast<std::int16_t>(codeOf(password[0])));
        for (std::int32_t j = 1; j <= skipCount; ++j) random.next();
        key = drawKey();
    }
    return result;
}

}  // namespace velmora

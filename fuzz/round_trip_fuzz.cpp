// The text cipher on arbitrary input: the fast path must agree with the
// literal algorithm, undo itself, and refuse exactly what cannot be carried.
#include "cipher/cp1252.h"
#include "cipher/rtc_random.h"
#include "cipher/text_cipher.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // First byte: password length; then the password and the text as UTF-16
    // units taken two bytes at a time, so any character can appear.
    const std::size_t passwordLength = data[0] % 16;
    std::u16string password, text;
    std::size_t at = 1;
    auto unit = [&] {
        const auto c = static_cast<char16_t>(data[at] | (at + 1 < size ? data[at + 1] << 8 : 0));
        at += 2;
        // Mostly code-page characters, now and then a raw unit.
        return (c & 0x8000) ? c : velmora::cp1252::toUnicode(static_cast<std::uint8_t>(c));
    };
    while (at < size && password.size() < passwordLength) password += unit();
    while (at < size) text += unit();

    velmora::RtcRandom fastRandom, refRandom;
    fastRandom.next(-1.0f);
    refRandom.next(-1.0f);
    const auto fast = velmora::cryptText(fastRandom, text, password);
    const auto ref = velmora::cryptTextReference(refRandom, text, password);
    if (fast != ref) std::abort();
    if (fastRandom.state() != refRandom.state()) std::abort();

    if (const auto* out = std::get_if<std::u16string>(&fast)) {
        if (out->size() != text.size()) std::abort();
        if (out->find(u'\0') != std::u16string::npos) std::abort();
        const auto back = velmora::cryptText(*out, password);
        if (std::get<std::u16string>(back) != text) std::abort();
    } else {
        const auto& error = std::get<velmora::CipherError>(fast);
        if (error != *velmora::checkCipherInput(text, password)) std::abort();
    }
    return 0;
}

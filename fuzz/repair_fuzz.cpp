// The repair on arbitrary received text: no crash, no sanitizer report, and
// what it offers holds together: changes in order, inside the received
// text, and a repaired text that reads as text.
#include "cipher/cp1252.h"
#include "repair/repair.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // First byte: password length (at least one); then the password and the
    // received text, a code-page character a byte, NUL standing for a
    // character outside the code page.
    const std::size_t passwordLength = 1 + data[0] % 12;
    std::u16string password, received;
    std::size_t at = 1;
    for (; at < size && password.size() < passwordLength; ++at)
        password += velmora::cp1252::toUnicode(static_cast<std::uint8_t>(data[at] | 1));
    for (; at < size; ++at) received += data[at] ? velmora::cp1252::toUnicode(data[at]) : u'\uFFFD';

    const auto repair = velmora::repair::repairText(received, password);
    if (repair.outcome != velmora::repair::Outcome::Repaired) {
        if (!repair.text.empty() || !repair.changes.empty()) std::abort();
        return 0;
    }
    if (repair.changes.empty() || !velmora::repair::readsAsText(repair.text)) std::abort();
    for (std::size_t k = 0; k < repair.changes.size(); ++k) {
        if (repair.changes[k].position > received.size()) std::abort();
        if (k > 0 && repair.changes[k].position < repair.changes[k - 1].position) std::abort();
    }
    return 0;
}

// The page's way into the cipher core and the repair: plain C functions over
// UTF-16 buffers that the page allocates in this module's memory and wipes
// after use.
#include "cipher/blanks.h"
#include "cipher/input_refusal.h"
#include "cipher/text_cipher.h"
#include "cipher/text_position.h"
#include "repair/repair.h"
#include "secrets/wipe.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace {

// What the last call left for the page: the transformed text or a message.
std::u16string lastResult;
std::string lastMessage;

void forgetResult() {
    velmora::wipeBytes(lastResult.data(), lastResult.size() * sizeof(char16_t));
    lastResult.clear();
    lastResult.shrink_to_fit();
    lastMessage.clear();
}

std::u16string_view view(const char16_t* data, std::size_t length) { return {data, length}; }

using velmora::repair::Outcome;
static_assert(static_cast<int>(Outcome::Exact) == 0 && static_cast<int>(Outcome::Repaired) == 1 &&
                  static_cast<int>(Outcome::NotText) == 2 && static_cast<int>(Outcome::TooLarge) == 3,
              "the page knows the outcomes by these numbers");

}  // namespace

extern "C" {

// Answers of velmora_check and velmora_crypt.
enum : int { kOk = 0, kForgottenPassword = 1, kRefused = 2 };

// Whether text[selectionStart, selectionEnd) can go through the cipher with
// the password as typed: kOk; kForgottenPassword when nothing but blanks was
// typed; kRefused with the reason in velmora_message(), placed by line and
// column of the whole text.
int velmora_check(const char16_t* text, std::size_t selectionStart, std::size_t selectionEnd, const char16_t* password,
                  std::size_t passwordLength) {
    forgetResult();
    const auto typed = view(password, passwordLength);
    if (velmora::trimBlanks(typed).empty()) return kForgottenPassword;
    const auto selection = view(text + selectionStart, selectionEnd - selectionStart);
    const auto refusal = velmora::inputRefusal(selection, typed, [&] { return std::u16string(text, selectionStart); });
    if (!refusal) return kOk;
    lastMessage = refusal->message();
    return kRefused;
}

// The cipher on a text, the generator restarted, the password as typed
// (blanks around it removed): kOk with the result in velmora_result(), else
// as velmora_check.
int velmora_crypt(const char16_t* text, std::size_t textLength, const char16_t* password, std::size_t passwordLength) {
    forgetResult();
    const auto key = velmora::trimBlanks(view(password, passwordLength));
    if (key.empty()) return kForgottenPassword;
    auto result = velmora::cryptText(view(text, textLength), key);
    if (const auto* error = std::get_if<velmora::CipherError>(&result)) {
        lastMessage = error->message();
        return kRefused;
    }
    lastResult = std::move(std::get<std::u16string>(result));
    return kOk;
}

// The repair of text[selectionStart, selectionEnd) as received from a mail
// path, with the password as typed, both passed by velmora_check: its
// outcome, as repair::Outcome numbers it. For Repaired the repaired text is
// in velmora_result() and found[0..2] hold the number of places changed and
// the line and column of the first in the whole text, as the user sees it.
int velmora_repair(const char16_t* text, std::size_t selectionStart, std::size_t selectionEnd, const char16_t* password,
                   std::size_t passwordLength, std::size_t* found) {
    forgetResult();
    const auto received = view(text + selectionStart, selectionEnd - selectionStart);
    const auto key = velmora::trimBlanks(view(password, passwordLength));
    if (key.empty()) return static_cast<int>(Outcome::Exact);
    auto repair = velmora::repair::repairText(received, key);
    if (repair.outcome == Outcome::Repaired) {
        const auto first = velmora::locate(view(text, selectionEnd), selectionStart + repair.changes.front().position);
        found[0] = repair.changes.size();
        found[1] = first.line;
        found[2] = first.column;
        lastResult = std::move(repair.text);
    }
    return static_cast<int>(repair.outcome);
}

const char16_t* velmora_result() { return lastResult.data(); }
std::size_t velmora_result_length() { return lastResult.size(); }
const char* velmora_message() { return lastMessage.c_str(); }

// Wipes the last result once the page has taken it.
void velmora_forget() { forgetResult(); }

}  // extern "C"

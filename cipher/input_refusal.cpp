#include "cipher/input_refusal.h"

#include "cipher/blanks.h"
#include "cipher/text_cipher.h"
#include "cipher/text_position.h"

namespace velmora {

std::optional<CipherError> inputRefusal(std::u16string_view selection, std::u16string_view typedPassword,
                                        const std::function<std::u16string()>& textBeforeSelection) {
    auto error = checkCipherInput(selection, trimBlanks(typedPassword));
    if (!error) return std::nullopt;

    using Kind = CipherError::Kind;
    TextPosition position;
    if (error->kind == Kind::UnmappableInText || error->kind == Kind::NulInText) {
        // Up to the end of the selection, so that a CR before the selection
        // and an LF starting it count as the one line end they are.
        std::u16string upToSelectionEnd = textBeforeSelection();
        const std::size_t before = upToSelectionEnd.size();
        upToSelectionEnd.append(selection);
        position = locate(upToSelectionEnd, before + error->offset);
    } else if (error->kind != Kind::EmptyPassword) {
        const auto leading = typedPassword.find_first_not_of(u' ');
        position = locate(typedPassword, leading + error->offset);
    } else {
        return error;
    }
    error->line = position.line;
    error->column = position.column;
    return error;
}

}  // namespace velmora

#include "crypt_refusal.h"

#include "blanks.h"
#include "text_cipher.h"
#include "text_position.h"
#include "utf16_view.h"

std::optional<QString> cryptRefusal(const QString& selection, const QString& password,
                                    const std::function<QString()>& textBeforeSelection) {
    const std::u16string_view typed = utf16View(password);
    auto error = velmora::checkCipherInput(utf16View(selection), velmora::trimBlanks(typed));
    if (!error) return std::nullopt;

    using Kind = velmora::CipherError::Kind;
    if (error->kind == Kind::UnmappableInText || error->kind == Kind::NulInText) {
        const QString before = textBeforeSelection();
        const QString upToSelectionEnd = before + selection;
        const auto position = velmora::locate(utf16View(upToSelectionEnd),
                                              static_cast<std::size_t>(before.size()) + error->offset);
        error->line = position.line;
        error->column = position.column;
    } else if (error->kind != Kind::EmptyPassword) {
        // Counted in the password as typed, leading blanks included.
        const auto leading = typed.find_first_not_of(u' ');
        const auto position = velmora::locate(typed, leading + error->offset);
        error->line = position.line;
        error->column = position.column;
    }
    return QString::fromStdString(error->message());
}

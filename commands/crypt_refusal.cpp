#include "crypt_refusal.h"

#include "blanks.h"
#include "text_cipher.h"
#include "text_position.h"

std::optional<QString> cryptRefusal(const QString& wholeText, int selStart, const QString& selection,
                                    const QString& password) {
    const std::u16string typed = password.toStdU16String();
    const std::u16string selected = selection.toStdU16String();
    auto error = velmora::checkCipherInput(selected, velmora::trimBlanks(typed));
    if (!error) return std::nullopt;

    using Kind = velmora::CipherError::Kind;
    if (error->kind == Kind::UnmappableInText || error->kind == Kind::NulInText) {
        const std::u16string whole = wholeText.toStdU16String();
        const auto position = velmora::locate(whole, static_cast<std::size_t>(selStart) + error->offset);
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

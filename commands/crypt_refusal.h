#pragma once

#include <QString>

#include <functional>
#include <optional>

// Why a selection and a password cannot go through the cipher, as a Swedish
// sentence naming the first offending character and where it stands: a text
// character by line and column of the whole text box, a password character
// by its place in the password as typed. Nothing when both can be carried.
// textBeforeSelection (the text box's text up to the selection) is asked for
// only when a text character is refused: reading a long text costs time.
std::optional<QString> cryptRefusal(const QString& selection, const QString& password,
                                    const std::function<QString()>& textBeforeSelection);

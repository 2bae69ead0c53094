#pragma once

#include <QString>

#include <optional>

// Why a selection and a password cannot go through the cipher, as a Swedish
// sentence naming the first offending character and where it stands: a text
// character by line and column of the whole text (selStart is where the
// selection begins in it), a password character by its place in the
// password. Nothing when both can be carried.
std::optional<QString> cryptRefusal(const QString& wholeText, int selStart, const QString& selection,
                                    const QString& password);

#pragma once

#include <QString>
#include <QStringView>

#include <string_view>

// A QString's characters as the cipher core takes them, without a copy. The
// view is valid while the string lives unchanged.
inline std::u16string_view utf16View(const QString& text) {
    return {QStringView(text).utf16(), static_cast<std::size_t>(text.size())};
}

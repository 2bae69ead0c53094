#pragma once

#include <QString>

#include <chrono>
#include <optional>

// The text on the X clipboard, read on a connection of this program's own,
// byte for byte as its owner hands it over (a NUL at the end included,
// which Qt's reading drops). The owner gets `patience` for each answer: one
// that does not answer freezes the window for no longer than that.
// nullopt when the clipboard offers no text (a picture, nothing at all), has
// no owner, or its owner does not answer in time.
std::optional<QString> readX11ClipboardText(const QByteArray& display, std::chrono::milliseconds patience);

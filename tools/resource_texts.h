#pragma once
// The window's texts, as the exact bytes of the files under resources/.
//
// The texts are kept here, written in plain ASCII with \u escapes, so that
// no editor or encoding guess can change a character on the way to the
// committed files.

#include <QByteArray>
#include <QString>

namespace velmora::art {

// The help window's text: 37 lines, each ending in CR LF, UTF-8 without BOM.
[[nodiscard]] QString helpText();

// The caption of the label over the text box: one line, no line end.
[[nodiscard]] QString label3Caption();

// The user's guide shipped beside the program: UTF-8, CR LF line ends.
[[nodiscard]] QString infoText();

// The bytes of a text file: UTF-8 without BOM, with no line-end conversion.
[[nodiscard]] QByteArray utf8File(const QString& text);

}  // namespace velmora::art

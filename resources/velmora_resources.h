#pragma once
// The window's pictures and texts as compiled into the program.
//
// Pictures are loaded with QPixmap/QIcon from these paths; texts come back
// through text() exactly as stored, line ends included.

#include <QString>

namespace velmora::resources {

// 468 x 404 window background.
inline constexpr char kBackground[] = ":/velmora/background.bmp";
// 66 x 26 button face.
inline constexpr char kButton[] = ":/velmora/button.bmp";
// Window and desktop icon: the key.
inline constexpr char kKeyIcon[] = ":/velmora/key.ico";
// Icon of the picture: the ship's wheel.
inline constexpr char kWheelIcon[] = ":/velmora/wheel.ico";
// Help window text, CR LF line ends.
inline constexpr char kHelpText[] = ":/velmora/help_text.txt";
// Caption of the label over the text box, one line.
inline constexpr char kLabel3Caption[] = ":/velmora/label3_caption.txt";
// The user's guide, CR LF line ends; also meant to lie beside the program.
inline constexpr char kInfoText[] = ":/velmora/Info.txt";

// The text of a text resource, decoded from UTF-8 with nothing changed.
// Empty when there is no such resource.
[[nodiscard]] QString text(const char* path);

}  // namespace velmora::resources
